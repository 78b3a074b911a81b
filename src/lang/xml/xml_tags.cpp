// Start and end tags of the XML reader: names and attributes read in place, values decoded in
// the mode their ATTLIST declares, then the element opened or closed.
#include "lang/xml/xml_internal.h"

namespace xml {

// A start tag whose name begins at `d`. Returns its closing byte, or nullptr after an error.
char* ParseStartTag(XmlParser& parser, char* d) {
    XmlDocument* doc = parser.doc;
    char* const end = parser.end;
    if (doc->openElement == nullptr) {
        RecordXmlError(parser, d - 1, "markup outside of root element");
        return nullptr;
    }
    char* const name = d;
    char* p = d;
    while (p < end && !IsSpaceChar(*p) && *p != '/' && *p != '>') {
        ++p;
    }
    while (p < end && IsSpaceChar(*p)) {
        *p++ = 0;
    }
    AttributeBuilder attributes{};
    char** declaration = nullptr;
    if (p < end && *p != '/' && *p != '>') {
        const std::size_t index = FindEntry(doc->declarations, name);
        declaration = index != kNotFound ? doc->declarations[index] : nullptr;
    }
    while (p < end && *p != '/' && *p != '>') {
        char* attribute = p;
        while (p < end && !IsSpaceChar(*p) && *p != '=' && *p != '/' && *p != '>') {
            ++p;
        }
        char* value = gEmptyString;
        unsigned char flag = 0;
        if (p < end && (*p == '=' || IsSpaceChar(*p))) {
            *p++ = 0;
            while (p < end && (*p == '=' || IsSpaceChar(*p))) {
                ++p;
            }
            if (p < end && (*p == '"' || *p == '\'')) {
                const char quote = *p;
                char* start = p + 1;
                char* close = FindByte(start, end, quote);
                if (close == nullptr) {
                    FreeAttributeBuilder(attributes);
                    RecordXmlError(parser, d - 1, "missing %c", quote);
                    return nullptr;
                }
                *close = 0;
                value = DecodeXmlText(parser, start, doc->entities,
                                      DeclaredMode(declaration, attribute));
                if (value == nullptr) {
                    FreeAttributeBuilder(attributes);
                    return nullptr;
                }
                flag = value != start ? kXmlOwnsValue : 0;
                p = close + 1;
            }
        }
        if (!AddAttribute(parser, attributes, attribute, value, flag)) {
            FreeAttributeBuilder(attributes);
            return nullptr;
        }
        while (p < end && IsSpaceChar(*p)) {
            ++p;
        }
    }
    const bool empty = p < end && *p == '/';
    if (empty) {
        *p++ = 0;
    }
    if (!ClosesHere(parser, p)) {
        FreeAttributeBuilder(attributes);
        RecordXmlError(parser, d - 1, "missing >");
        return nullptr;
    }
    // Terminates a name or attribute name that ran up to the ">".
    *p = 0;
    char** list = PackAttributes(parser, attributes);
    if (list == nullptr || !OpenElement(parser, name, list)) {
        return nullptr;
    }
    if (empty) {
        CloseElement(parser);
    }
    return p;
}

char* ParseEndTag(XmlParser& parser, char* d) {
    char* const end = parser.end;
    char* const name = d + 1;
    char* p = name;
    while (p < end && !IsSpaceChar(*p) && *p != '>') {
        ++p;
    }
    if (p == end && !parser.lastWasGt) {
        RecordXmlError(parser, d - 1, "missing >");
        return nullptr;
    }
    const bool atClose = p < end && *p == '>';
    *p = 0;
    const XmlElement* open = parser.doc->openElement;
    if (open == nullptr || open->name == nullptr || std::strcmp(open->name, name) != 0) {
        RecordXmlError(parser, d - 1, "unexpected closing tag </%s>", name);
        return nullptr;
    }
    CloseElement(parser);
    if (!atClose && p < end) {
        ++p;
        while (p < end && IsSpaceChar(*p)) {
            ++p;
        }
    }
    return p;
}

} // namespace xml
