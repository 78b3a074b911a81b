// The XML reader's markup loop: it finds each "<", dispatches on what follows (tags, comments,
// CDATA, DOCTYPE, instructions) and adds the character data between markup to the open element.
#include "lang/xml/xml_internal.h"

namespace xml {

namespace {

char* ParseMarkup(XmlParser& parser, char* d) {
    char* const end = parser.end;
    if (d < end && IsNameStart(*d)) {
        return ParseStartTag(parser, d);
    }
    if (*d == '/') {
        return ParseEndTag(parser, d);
    }
    if (StartsWith(d, "!--")) {
        char* dashes = FindBytes(d + 3, end, "--");
        if (dashes == nullptr || !ClosesHere(parser, dashes + 2)) {
            RecordXmlError(parser, d - 1, "unclosed <!--");
            return nullptr;
        }
        return dashes + 2;
    }
    if (StartsWith(d, "![CDATA[")) {
        char* content = d + 8;
        char* close = FindBytes(content, end, "]]>");
        if (close == nullptr && parser.lastWasGt && end - content >= 2 && end[-2] == ']' &&
            end[-1] == ']') {
            close = end - 2;
        }
        if (close == nullptr) {
            RecordXmlError(parser, d - 1, "unclosed <![CDATA[");
            return nullptr;
        }
        return AddXmlText(parser, content, static_cast<std::size_t>(close - content), kModeCdata)
                   ? close + 2
                   : nullptr;
    }
    if (StartsWith(d, "!DOCTYPE")) {
        return ParseDoctype(parser, d);
    }
    if (*d == '?') {
        return ParseInstruction(parser, d);
    }
    RecordXmlError(parser, d - 1, "unexpected <");
    return nullptr;
}

} // namespace

void Parse(XmlParser& parser, char* buffer, std::size_t length) {
    XmlDocument* doc = parser.doc;
    if (buffer == nullptr || length == 0) {
        RecordXmlError(parser, nullptr, "root tag missing");
        return;
    }
    char* work = buffer;
    std::size_t size = length;
    const auto first = static_cast<unsigned char>(buffer[0]);
    if (first == 0xFE || first == 0xFF) {
        doc->utf8 = Utf16ToUtf8(parser, buffer, length, size);
        if (doc->utf8 == nullptr) {
            return;
        }
        if (size == 0) {
            RecordXmlError(parser, nullptr, "root tag missing");
            return;
        }
        work = doc->utf8;
    }
    doc->workStart = work;
    doc->workEnd = work + size;
    StartEntityBudgets(parser, size);
    parser.end = work + size - 1;
    parser.lastWasGt = *parser.end == '>';
    *parser.end = 0;
    char* const end = parser.end;

    char* p = FindByte(work, end, '<');
    if (p == nullptr) {
        RecordXmlError(parser, end, "root tag missing");
        return;
    }
    ++p;
    for (;;) {
        p = ParseMarkup(parser, p);
        if (p == nullptr) {
            return; // error recorded or memory exhausted
        }
        if (p >= end) {
            break;
        }
        *p++ = 0;
        char* next = FindByte(p, end, '<');
        if (next == nullptr) {
            break; // character data up to the end is dropped
        }
        if (!AddXmlText(parser, p, static_cast<std::size_t>(next - p), kModeText)) {
            return;
        }
        p = next + 1;
    }
    if (doc->openElement == nullptr) {
        return;
    }
    if (doc->openElement->name == nullptr) {
        RecordXmlError(parser, end, "root tag missing");
    } else {
        RecordXmlError(parser, end, "unclosed tag <%s>", doc->openElement->name);
    }
}

} // namespace xml
