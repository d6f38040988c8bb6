#include "exchange/xml_pull_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace korvela {
namespace {

constexpr std::size_t kChunkBytes = 64 << 10;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameEnd(char c) { return isSpace(c) || c == '>' || c == '/'; }

std::string_view localPart(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The character an entity such as "amp" or "#x41" stands for; false when it is none.
bool entityCharacter(std::string_view entity, std::string& out) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, character] : kNamed) {
        if (entity == name) {
            out += character;
            return true;
        }
    }
    if (entity.size() < 2 || entity[0] != '#') return false;
    const bool hex = entity[1] == 'x';
    const std::string_view digits = entity.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        code == 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
        return false;
    }
    appendUtf8(out, code);
    return true;
}

}  // namespace

XmlPullReader::XmlPullReader(Source source, std::size_t maxItemBytes)
    : source_(std::move(source)), maxItemBytes_(maxItemBytes) {}

void XmlPullReader::fail(const std::string& what) const {
    throw XmlPullError(what, offset(), XmlPullError::Kind::Malformed);
}

// Keeps the current item, drops what lies before it and reads more; false at the end.
bool XmlPullReader::fill() {
    if (sourceDone_) return false;
    if (itemStart_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + itemStart_, end_ - itemStart_);
        consumed_ += itemStart_;
        begin_ -= itemStart_;
        end_ -= itemStart_;
        itemStart_ = 0;
    }
    if (end_ > maxItemBytes_) {
        throw XmlPullError("item too large", offset(), XmlPullError::Kind::TooLarge);
    }
    if (buffer_.size() - end_ < kChunkBytes) buffer_.resize(end_ + kChunkBytes);
    const std::size_t got = source_(buffer_.data() + end_, buffer_.size() - end_);
    if (got == 0) {
        sourceDone_ = true;
        return false;
    }
    end_ += got;
    return true;
}

// Refuses UTF-16 and UTF-32 (a byte order mark, or a NUL among the first bytes) and skips
// UTF-8's byte order mark.
void XmlPullReader::checkEncoding() {
    while (end_ < 4 && fill()) {}
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
    if (end_ >= 2 && (byte(0) == 0xFE || byte(0) == 0xFF || byte(0) == 0 || byte(1) == 0)) {
        throw XmlPullError("not UTF-8", 0, XmlPullError::Kind::NotUtf8);
    }
    if (end_ >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) begin_ = 3;
    encodingChecked_ = true;
}

std::size_t XmlPullReader::findFrom(std::size_t from, std::string_view what) {
    std::size_t relative = from - itemStart_;
    for (;;) {
        const char* first = buffer_.data() + itemStart_ + relative;
        const char* last = buffer_.data() + end_;
        const char* found = std::search(first, last, what.begin(), what.end());
        if (found != last) return static_cast<std::size_t>(found - buffer_.data());
        const std::size_t searched = end_ - itemStart_;
        relative = searched >= what.size() ? searched - what.size() + 1 : 0;
        if (!fill()) fail("unexpected end");
    }
}

// The position of the '>' that ends the tag begun at itemStart_, quoted values skipped.
std::size_t XmlPullReader::findTagEnd(std::size_t from) {
    std::size_t relative = from - itemStart_;
    char quote = 0;
    for (;;) {
        for (std::size_t at = itemStart_ + relative; at < end_; ++at) {
            const char c = buffer_[at];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return at;
            } else if (c == '<') {
                fail("'<' in a tag");
            }
        }
        relative = end_ - itemStart_;
        if (!fill()) fail("unexpected end in a tag");
    }
}

XmlPullReader::Event XmlPullReader::next() {
    if (pendingEnd_) {
        pendingEnd_ = false;
        return Event::EndElement;
    }
    if (!encodingChecked_) checkEncoding();
    for (;;) {
        itemStart_ = begin_;
        if (begin_ == end_) {
            if (fill()) continue;
            if (!openStarts_.empty() || !started_) fail("unexpected end");
            return Event::End;
        }
        if (buffer_[begin_] != '<') {
            if (readText()) return Event::Text;
            continue;
        }
        if (const std::optional<Event> event = readMarkup()) return *event;
    }
}

// Character data up to the next '<'. False when it is only white space outside the root.
bool XmlPullReader::readText() {
    std::size_t relative = 0;
    for (;;) {
        const char* first = buffer_.data() + itemStart_ + relative;
        const void* found = std::memchr(first, '<', end_ - itemStart_ - relative);
        if (found != nullptr) {
            begin_ = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
            break;
        }
        relative = end_ - itemStart_;
        if (!fill()) {
            begin_ = end_;
            break;
        }
    }
    const std::string_view raw(buffer_.data() + itemStart_, begin_ - itemStart_);
    if (openStarts_.empty()) {
        if (std::all_of(raw.begin(), raw.end(), isSpace)) return false;
        fail("text outside the root element");
    }
    text_ = decoded(raw, textScratch_);
    return true;
}

std::optional<XmlPullReader::Event> XmlPullReader::readMarkup() {
    while (end_ - itemStart_ < 2) {
        if (!fill()) fail("unexpected end");
    }
    switch (buffer_[itemStart_ + 1]) {
        case '/':
            return readEndTag();
        case '?':
            skipUntil("?>");
            return std::nullopt;
        case '!':
            return readExclamation();
        default:
            return readStartTag();
    }
}

// A comment, a CDATA section (text) or a declaration.
std::optional<XmlPullReader::Event> XmlPullReader::readExclamation() {
    // "<![CDATA[" must be in the buffer to tell the markup apart.
    while (end_ - itemStart_ < 9 && fill()) {}
    const std::string_view start(buffer_.data() + itemStart_, end_ - itemStart_);
    if (start.starts_with("<!--")) {
        skipUntil("-->");
    } else if (start.starts_with("<![CDATA[")) {
        if (openStarts_.empty()) fail("CDATA outside the root element");
        const std::size_t close = findFrom(itemStart_ + 9, "]]>");
        text_ = std::string_view(buffer_.data() + itemStart_ + 9, close - itemStart_ - 9);
        begin_ = close + 3;
        return Event::Text;
    } else {
        if (started_) fail("a declaration inside the root element");
        skipDeclaration();
    }
    return std::nullopt;
}

void XmlPullReader::skipUntil(std::string_view terminator) {
    begin_ = findFrom(itemStart_ + 2, terminator) + terminator.size();
}

// A document type declaration, its internal subset in brackets included.
void XmlPullReader::skipDeclaration() {
    std::size_t relative = 2;
    int depth = 0;
    for (;;) {
        for (std::size_t at = itemStart_ + relative; at < end_; ++at) {
            const char c = buffer_[at];
            if (c == '[') ++depth;
            if (c == ']') --depth;
            if (c == '>' && depth <= 0) {
                begin_ = at + 1;
                return;
            }
        }
        relative = end_ - itemStart_;
        if (!fill()) fail("unexpected end in a declaration");
    }
}

XmlPullReader::Event XmlPullReader::readStartTag() {
    if (started_ && openStarts_.empty()) fail("a second root element");
    const std::size_t close = findTagEnd(itemStart_ + 1);
    const bool selfClosing = buffer_[close - 1] == '/';
    std::string_view tag(buffer_.data() + itemStart_ + 1, close - itemStart_ - 1);
    if (selfClosing) tag.remove_suffix(1);
    std::size_t nameLength = 0;
    while (nameLength < tag.size() && !isNameEnd(tag[nameLength])) ++nameLength;
    if (nameLength == 0) fail("an element without a name");
    const std::string_view qualified = tag.substr(0, nameLength);
    parseAttributes(tag.substr(nameLength));
    name_ = localPart(qualified);
    started_ = true;
    begin_ = close + 1;
    if (selfClosing) {
        pendingEnd_ = true;
    } else {
        openStarts_.push_back(openElements_.size());
        openElements_.append(qualified);
    }
    return Event::StartElement;
}

XmlPullReader::Event XmlPullReader::readEndTag() {
    const std::size_t close = findTagEnd(itemStart_ + 2);
    std::string_view qualified(buffer_.data() + itemStart_ + 2, close - itemStart_ - 2);
    while (!qualified.empty() && isSpace(qualified.back())) qualified.remove_suffix(1);
    if (openStarts_.empty()) fail("an end tag without a start");
    const std::size_t nameStart = openStarts_.back();
    if (std::string_view(openElements_).substr(nameStart) != qualified) {
        fail("an end tag that does not match its start");
    }
    openElements_.resize(nameStart);
    openStarts_.pop_back();
    name_ = localPart(qualified);
    attributes_.clear();
    begin_ = close + 1;
    return Event::EndElement;
}

void XmlPullReader::parseAttributes(std::string_view inside) {
    attributes_.clear();
    std::size_t at = 0;
    for (;;) {
        const std::size_t spaceStart = at;
        while (at < inside.size() && isSpace(inside[at])) ++at;
        if (at == inside.size()) return;
        if (at == spaceStart) fail("attributes without space between them");
        const std::size_t nameStart = at;
        while (at < inside.size() && inside[at] != '=' && !isSpace(inside[at])) ++at;
        const std::string_view name = inside.substr(nameStart, at - nameStart);
        while (at < inside.size() && isSpace(inside[at])) ++at;
        if (name.empty() || at == inside.size() || inside[at] != '=') fail("a bad attribute");
        ++at;
        while (at < inside.size() && isSpace(inside[at])) ++at;
        if (at == inside.size() || (inside[at] != '"' && inside[at] != '\'')) {
            fail("an attribute value without quotes");
        }
        const std::size_t valueEnd = inside.find(inside[at], at + 1);
        if (valueEnd == std::string_view::npos) fail("an attribute value without its end");
        attributes_.push_back({name, inside.substr(at + 1, valueEnd - at - 1)});
        at = valueEnd + 1;
    }
}

std::string_view XmlPullReader::attribute(std::string_view localName) {
    for (const Attribute& attribute : attributes_) {
        if (attribute.name == localName) return decoded(attribute.rawValue, attributeScratch_);
    }
    return {};
}

// The text with its entities replaced and its line ends made LF, as XML reads it.
std::string_view XmlPullReader::decoded(std::string_view raw, std::string& scratch) {
    if (raw.find_first_of("&\r") == std::string_view::npos) return raw;
    scratch.clear();
    for (std::size_t at = 0; at < raw.size(); ++at) {
        const char c = raw[at];
        if (c == '\r') {
            scratch += '\n';
            if (at + 1 < raw.size() && raw[at + 1] == '\n') ++at;
        } else if (c == '&') {
            const std::size_t semicolon = raw.find(';', at + 1);
            if (semicolon == std::string_view::npos ||
                !entityCharacter(raw.substr(at + 1, semicolon - at - 1), scratch)) {
                fail("a bad entity");
            }
            at = semicolon;
        } else {
            scratch += c;
        }
    }
    return scratch;
}

}  // namespace korvela
