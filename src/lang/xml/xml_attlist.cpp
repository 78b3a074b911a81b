// ATTLIST declarations of the XML reader's internal subset: reading them into the document's
// declaration list, and the modes and defaults an element's attributes take from it. The entry
// lists here (one entry per name) serve the processing instructions too.
#include "lang/xml/xml_internal.h"

namespace xml {

std::size_t FindEntry(char*** list, const char* name) {
    for (std::size_t i = 0; list[i] != nullptr; ++i) {
        if (std::strcmp(list[i][0], name) == 0) {
            return i;
        }
    }
    return kNotFound;
}

// Appends a new entry holding `first` items (the rest nullptr) to a declaration or instruction
// list; returns its index.
std::size_t AppendEntry(XmlParser& parser, char***& list, std::size_t& count, char** entry) {
    void* old = list == gNoEntries ? nullptr : list;
    auto* grown = static_cast<char***>(Reallocate(parser, old, (count + 2) * sizeof(char**)));
    if (grown == nullptr) {
        return kNotFound;
    }
    grown[count] = entry;
    grown[count + 1] = nullptr;
    list = grown;
    return count++;
}

const char* FindDeclaredDefault(char** entry, const char* attribute, bool& found) {
    found = false;
    for (std::size_t i = 1; entry != nullptr && entry[i] != nullptr; i += 3) {
        if (std::strcmp(entry[i], attribute) == 0) {
            found = true;
            return entry[i + 1];
        }
    }
    return nullptr;
}

char DeclaredMode(char** entry, const char* attribute) {
    for (std::size_t i = 1; entry != nullptr && entry[i] != nullptr; i += 3) {
        if (std::strcmp(entry[i], attribute) == 0) {
            return entry[i + 2][0];
        }
    }
    return kModeAttribute;
}

namespace {

char gModeSpace[] = " ";
char gModeToken[] = "*";

bool AppendDeclaration(XmlParser& parser, char* element, char* attribute, char* defaultValue,
                       char mode) {
    XmlDocument* doc = parser.doc;
    std::size_t index = FindEntry(doc->declarations, element);
    if (index == kNotFound) {
        auto* entry = static_cast<char**>(Allocate(parser, 2 * sizeof(char*)));
        if (entry == nullptr) {
            return false;
        }
        entry[0] = element;
        entry[1] = nullptr;
        index = AppendEntry(parser, doc->declarations, doc->declarationCount, entry);
        if (index == kNotFound) {
            std::free(entry);
            return false;
        }
    }
    char** entry = doc->declarations[index];
    std::size_t used = 1;
    while (entry[used] != nullptr) {
        used += 3;
    }
    auto* grown = static_cast<char**>(Reallocate(parser, entry, (used + 4) * sizeof(char*)));
    if (grown == nullptr) {
        return false;
    }
    grown[used] = attribute;
    grown[used + 1] = defaultValue;
    grown[used + 2] = mode == kModeAttribute ? gModeSpace : gModeToken;
    grown[used + 3] = nullptr;
    doc->declarations[index] = grown;
    return true;
}

} // namespace

// "<!ATTLIST" at `p` - 9. Returns where the scan goes on, or nullptr when the step ends.
char* DeclareAttributes(XmlParser& parser, char* p, char* end) {
    XmlDocument* doc = parser.doc;
    while (p < end && IsXmlSpace(*p)) {
        ++p;
    }
    if (p == end) {
        RecordXmlError(parser, p, "unclosed <!ATTLIST");
        return nullptr;
    }
    char* element = p;
    while (p < end && !IsXmlSpace(*p) && *p != '>') {
        ++p;
    }
    if (p == end) {
        return end;
    }
    if (*p == '>') {
        return p + 1;
    }
    *p++ = 0;
    for (;;) {
        while (p < end && IsXmlSpace(*p)) {
            ++p;
        }
        if (p == end) {
            return end;
        }
        if (*p == '>') {
            return p + 1;
        }
        char* attribute = p;
        while (p < end && !IsXmlSpace(*p)) {
            ++p;
        }
        if (p == end) {
            RecordXmlError(parser, attribute, "malformed <!ATTLIST");
            return nullptr;
        }
        *p++ = 0;
        while (p < end && IsXmlSpace(*p)) {
            ++p;
        }
        const char mode = StartsWith(p, "CDATA") ? kModeAttribute : kModeTokenAttribute;
        if (StartsWith(p, "NOTATION")) {
            p += 8;
            while (p < end && IsXmlSpace(*p)) {
                ++p;
            }
        }
        if (p < end && *p == '(') {
            char* close = FindByte(p, end, ')');
            if (close == nullptr) {
                RecordXmlError(parser, attribute, "malformed <!ATTLIST");
                return nullptr;
            }
            p = close + 1;
        } else {
            while (p < end && !IsXmlSpace(*p)) {
                ++p;
            }
        }
        while (p < end && (IsXmlSpace(*p) || *p == ')')) {
            ++p;
        }
        if (StartsWith(p, "#FIXED")) {
            p += 6;
            while (p < end && IsXmlSpace(*p)) {
                ++p;
            }
        }
        char* defaultValue = nullptr;
        char* quoted = nullptr;
        if (p < end && *p == '#') {
            while (p < end && !IsXmlSpace(*p) && *p != '>') {
                ++p;
            }
            if (mode == kModeAttribute) {
                continue; // nothing to remember about an optional text attribute
            }
        } else if (p < end && (*p == '"' || *p == '\'')) {
            quoted = p + 1;
            char* close = FindByte(quoted, end, *p);
            if (close == nullptr) {
                RecordXmlError(parser, attribute, "malformed <!ATTLIST");
                return nullptr;
            }
            *close = 0;
            p = close + 1;
            defaultValue = DecodeXmlText(parser, quoted, doc->entities, mode);
            if (defaultValue == nullptr) {
                return nullptr;
            }
        } else {
            RecordXmlError(parser, attribute, "malformed <!ATTLIST");
            char* close = FindByte(p, end, '>');
            return close != nullptr ? close + 1 : end;
        }
        if (!AppendDeclaration(parser, element, attribute, defaultValue, mode)) {
            if (defaultValue != quoted) {
                std::free(defaultValue);
            }
            return nullptr;
        }
    }
}

} // namespace xml
