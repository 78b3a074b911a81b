// A small non-validating XML reader for language documents. It parses in place: it writes
// terminators into the buffer it is given, and names, attribute values and texts point into that
// buffer unless decoding made them longer. UTF-8 (or any ASCII-compatible encoding) and UTF-16
// with a byte-order mark are accepted. On a syntax error it stops, records a message in
// `errorText` and returns what it built so far; only exhausted memory yields nullptr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Flag bits of an element, and of one attribute pair in the flags string of an attribute list.
inline constexpr std::uint16_t kXmlOwnsValue = 0x40; // element text, or attribute value
inline constexpr std::uint16_t kXmlOwnsName = 0x80;

struct XmlElement {
    char* name; // UTF-8, terminated
    // name0, value0, name1, value1, ..., "" (empty name), then the flags string: one byte per
    // pair (kXmlOwnsValue / kXmlOwnsName, a space when neither) and a terminator. Elements
    // without attributes share one static empty list.
    char** attributes;
    char* text;             // all character data directly inside, concatenated; "" when none
    std::size_t textOffset; // length of the parent's text when this element was opened
    XmlElement* nextSameName;
    XmlElement* nextOtherName; // first element of the next distinct name among the siblings
    XmlElement* nextInOrder;
    XmlElement* firstChild; // also heads the nextOtherName chain
    XmlElement* parent;     // nullptr for the document element
    std::uint16_t flags;
};

struct XmlDocument {
    XmlElement root; // first member: a document can be used where an element is expected
    XmlElement* openElement;
    char* input;
    std::ptrdiff_t inputLength; // -1: the reader allocated the input and frees it
    char* utf8;                 // the converted text of a UTF-16 input, or nullptr
    char* workStart;            // the bytes actually parsed (input or utf8)
    char* workEnd;
    // General entities: name (with its ";"), replacement, ..., nullptr. The first five pairs are
    // the predefined ones.
    char** entities;
    std::size_t entityCount;
    // One entry per element name: name, then (attribute, default or nullptr, mode " " or "*")
    // triples, then nullptr. The list ends with nullptr.
    char*** declarations;
    std::size_t declarationCount;
    // One entry per processing-instruction target: target, its texts, nullptr, then a position
    // string ("<" before the document element's start tag, ">" after). Ends with nullptr.
    char*** instructions;
    std::size_t instructionCount;
    std::uint16_t standalone;
    char errorText[128]; // "" when no error
};

// Parses `length` bytes of `buffer`, which is modified and must outlive the document.
XmlDocument* ParseXmlBuffer(char* buffer, std::size_t length);
// Reads `file` to its end and parses it; the document owns the bytes.
XmlDocument* ParseXmlStream(std::FILE* file);
// The first child named `name` (exact, case-sensitive); further ones follow through
// nextSameName. nullptr for a null element.
XmlElement* XmlChild(const XmlElement* element, const char* name);
// The attribute's value, else the default an ATTLIST declared for it, else nullptr.
const char* XmlAttr(const XmlElement* element, const char* name);
void FreeXml(XmlDocument* document);
