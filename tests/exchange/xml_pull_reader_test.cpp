// The streaming XML reader under the workbook: events, entities, line ends and errors, with the
// text handed over whole or a byte at a time (every item then crosses a buffer refill).
#include "exchange/xml_pull_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace korvela {
namespace {

// The events of the text as one line: <name r=value>, [text], </name>.
std::string trace(const std::string& xml, std::size_t bytesPerRead, std::size_t maxItem = 1 << 20) {
    std::size_t at = 0;
    XmlPullReader reader(
        [&](char* buffer, std::size_t capacity) {
            const std::size_t count = std::min({capacity, bytesPerRead, xml.size() - at});
            std::memcpy(buffer, xml.data() + at, count);
            at += count;
            return count;
        },
        maxItem);
    std::string events;
    try {
        for (auto event = reader.next(); event != XmlPullReader::Event::End;
             event = reader.next()) {
            if (event == XmlPullReader::Event::StartElement) {
                events += "<" + std::string(reader.name());
                const std::string_view r = reader.attribute("r");
                if (!r.empty()) events += " r=" + std::string(r);
                events += ">";
            } else if (event == XmlPullReader::Event::EndElement) {
                events += "</" + std::string(reader.name()) + ">";
            } else {
                events += "[" + std::string(reader.text()) + "]";
            }
        }
    } catch (const XmlPullError& error) {
        const char* kinds[] = {"malformed", "too large", "not UTF-8"};
        events += "error: " + std::string(kinds[static_cast<int>(error.kind())]) + " at " +
                  std::to_string(error.offset());
    }
    return events;
}

TEST(XmlPullReader, ReadsTheSameEventsWhateverTheChunks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<?xml version=\"1.0\"?>\n<a><b r='1'/><x:c r=\"A&amp;1\">t</x:c></a>",
         "<a><b r=1></b><c r=A&1>[t]</c></a>"},
        {"\xEF\xBB\xBF<a>&lt;&gt;&amp;&quot;&apos;&#65;&#x416;</a>", "<a>[<>&\"'AЖ]</a>"},
        {"<a>1\r\n2\r3\n</a>", "<a>[1\n2\n3\n]</a>"},  // line ends read as LF
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><!-- c --><a><![CDATA[<&>]]><?p?>z</a>",
         "<a>[<&>][z]</a>"},
        {"<a  r = \"1\" >\n <b/>\n</a>\n", "<a r=1>[\n ]<b></b>[\n]</a>"},
        {"<a><b></a>", "<a><b>error: malformed at 6"},
        {"<a>", "<a>error: malformed at 3"},
        {"<a>&bad;</a>", "<a>error: malformed at 3"},
        {"<a>&#0;</a>", "<a>error: malformed at 3"},
        {"<a r=1/>", "error: malformed at 0"},
        {"<a/><b/>", "<a></a>error: malformed at 4"},
        {"text", "error: malformed at 0"},
        {"", "error: malformed at 0"},
        {std::string("\xFF\xFE<\0a\0>\0", 8), "error: not UTF-8 at 0"},
    };
    for (const auto& [xml, expected] : cases) {
        EXPECT_EQ(trace(xml, 1 << 20), expected) << xml;
        EXPECT_EQ(trace(xml, 1), expected) << xml << " a byte at a time";
    }
}

TEST(XmlPullReader, RefusesAnItemLargerThanItsLimit) {
    EXPECT_EQ(trace("<a>" + std::string(200000, 'x') + "</a>", 4096, 100000),
              "<a>error: too large at 3");
    EXPECT_EQ(trace("<a>" + std::string(90000, 'x') + "</a>", 4096, 100000),
              "<a>[" + std::string(90000, 'x') + "]</a>");
}

}  // namespace
}  // namespace korvela
