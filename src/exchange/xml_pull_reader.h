#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvela {

// What is wrong with an XML text: not well formed (at a byte offset), an item too large, or
// a text in another encoding than UTF-8.
class XmlPullError : public std::runtime_error {
public:
    enum class Kind { Malformed, TooLarge, NotUtf8 };

    XmlPullError(const std::string& what, std::uint64_t offset, Kind kind)
        : std::runtime_error(what), offset_(offset), kind_(kind) {}
    std::uint64_t offset() const { return offset_; }
    Kind kind() const { return kind_; }

private:
    std::uint64_t offset_;
    Kind kind_;
};

// Reads an XML text in one pass, a chunk at a time, as a sequence of events: the start and
// end of each element and the character data between. It holds no more than the largest
// single item (a tag or a text) in memory, so a sheet of a million rows streams through a
// buffer of a megabyte. Entities and end-of-line handling follow XML 1.0; processing
// instructions, comments and a document type declaration are skipped.
class XmlPullReader {
public:
    // Fills the buffer with up to capacity bytes; returns how many, 0 at the end of the text.
    using Source = std::function<std::size_t(char* buffer, std::size_t capacity)>;

    enum class Event { StartElement, EndElement, Text, End };

    // An item (a tag or one text) longer than maxItemBytes throws XmlPullError (tooLarge).
    XmlPullReader(Source source, std::size_t maxItemBytes);

    // The next event; throws XmlPullError when the text is not well formed.
    Event next();

    // Of the current start or end element: its name without a namespace prefix.
    std::string_view name() const { return name_; }
    // Of the current start element: the value of the attribute of that name (as written,
    // prefix and all), entities decoded; empty when there is none. The value lasts until
    // the next call.
    std::string_view attribute(std::string_view localName);
    // Of the current text event: the characters, entities decoded.
    std::string_view text() const { return text_; }
    // Where the current item starts in the whole text.
    std::uint64_t offset() const { return consumed_ + itemStart_; }

private:
    struct Attribute {
        std::string_view name;  // with its prefix
        std::string_view rawValue;
    };

    bool fill();
    void checkEncoding();
    std::size_t findFrom(std::size_t from, std::string_view what);
    std::size_t findTagEnd(std::size_t from);
    std::optional<Event> readMarkup();
    std::optional<Event> readExclamation();
    bool readText();
    Event readStartTag();
    Event readEndTag();
    void skipUntil(std::string_view terminator);
    void skipDeclaration();
    void parseAttributes(std::string_view inside);
    std::string_view decoded(std::string_view raw, std::string& scratch);
    [[noreturn]] void fail(const std::string& what) const;

    Source source_;
    std::size_t maxItemBytes_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // next byte to read
    std::size_t end_ = 0;    // end of the bytes in the buffer
    std::size_t itemStart_ = 0;
    std::uint64_t consumed_ = 0;  // bytes dropped from the buffer's front so far
    bool sourceDone_ = false;
    bool encodingChecked_ = false;
    bool started_ = false;
    bool pendingEnd_ = false;  // a self-closing element's end still to report

    std::string_view name_;
    std::string_view text_;
    std::vector<Attribute> attributes_;
    std::string textScratch_;
    std::string attributeScratch_;
    std::string openElements_;             // the qualified names of the open elements
    std::vector<std::size_t> openStarts_;  // where each of them starts in openElements_
};

}  // namespace korvela
