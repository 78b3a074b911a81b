// The XML reader's error texts: the first error of a document, with the line it was found on,
// goes into its errorText.
#include "lang/xml/xml_internal.h"

#include <cstdarg>
#include <cstdio>

namespace xml {

// Records the first error of the document. The line is counted up to `position` (line 1 when
// there is none).
XmlDocument* RecordXmlError(XmlParser& parser, const char* position, const char* message, ...) {
    XmlDocument* doc = parser.doc;
    if (doc->errorText[0] != 0) {
        return doc;
    }
    int line = 1;
    if (position != nullptr && InWorkArea(doc, position)) {
        for (const char* p = doc->workStart; p < position && p < doc->workEnd; ++p) {
            line += *p == '\n' && line < 2147483647;
        }
    }
    char format[128];
    std::snprintf(format, sizeof format, "[error near line %d]: %s", line, message);
    va_list arguments;
    va_start(arguments, message);
    std::vsnprintf(doc->errorText, sizeof doc->errorText, format, arguments);
    va_end(arguments);
    return doc;
}

} // namespace xml
