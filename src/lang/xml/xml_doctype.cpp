// The XML reader's <!DOCTYPE: finding its end and reading its internal subset, whose entity,
// ATTLIST and instruction declarations are handed on to the files that hold them.
#include "lang/xml/xml_internal.h"

namespace xml {

namespace {

// The internal subset [text, end), terminated at `end`. True when no error was recorded.
bool ProcessXmlDeclarations(XmlParser& parser, char* text, char* end) {
    XmlDocument* doc = parser.doc;
    char** parameters = nullptr;
    std::size_t parameterCount = 0;
    char* p = text;
    while (p != nullptr && !parser.outOfMemory) {
        while (p < end && *p != '<' && *p != '%') {
            ++p;
        }
        if (p == end) {
            break;
        }
        if (*p == '%') {
            // A parameter reference in the subset ends it unless the document is standalone.
            if (doc->standalone == 0) {
                break;
            }
            ++p;
        } else if (StartsWith(p, "<!ENTITY")) {
            p = DeclareEntity(parser, p + 8, end, parameters, parameterCount);
        } else if (StartsWith(p, "<!ATTLIST")) {
            p = DeclareAttributes(parser, p + 9, end);
        } else if (StartsWith(p, "<!--")) {
            char* close = FindBytes(p + 4, end, "-->");
            p = close != nullptr ? close + 3 : nullptr;
        } else if (StartsWith(p, "<?")) {
            char* close = FindBytes(p + 2, end, "?>");
            if (close != nullptr) {
                *close = 0;
                ProcessInstruction(parser, p + 2, close);
                p = close + 2;
            } else {
                p = nullptr;
            }
        } else {
            char* close = FindByte(p + 1, end, '>');
            p = close != nullptr ? close + 1 : nullptr;
        }
    }
    // Parameter entities serve the subset only; their grown values go with them.
    for (std::size_t i = 0; i < parameterCount; ++i) {
        if (!InWorkArea(doc, parameters[2 * i + 1])) {
            std::free(parameters[2 * i + 1]);
        }
    }
    std::free(parameters);
    return doc->errorText[0] == 0 && !parser.outOfMemory;
}

} // namespace

char* ParseDoctype(XmlParser& parser, char* d) {
    char* const end = parser.end;
    char* subset = nullptr;
    char* p = d + 8;
    for (;;) {
        while (p < end && *p != '[' && *p != ']' && *p != '>') {
            ++p;
        }
        if (p == end) {
            if (subset != nullptr || !parser.lastWasGt) {
                RecordXmlError(parser, d - 1, "unclosed <!DOCTYPE");
                return nullptr;
            }
            return p;
        }
        if (*p == '>' && subset == nullptr) {
            return p;
        }
        if (*p == '[' && subset == nullptr) {
            subset = p + 1;
        } else if (*p == ']' && subset != nullptr) {
            char* close = p + 1;
            while (close < end && IsXmlSpace(*close)) {
                ++close;
            }
            if (ClosesHere(parser, close)) {
                *p = 0;
                return ProcessXmlDeclarations(parser, subset, p) ? close : nullptr;
            }
        }
        ++p;
    }
}

} // namespace xml
