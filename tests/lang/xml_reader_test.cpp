// The in-place XML reader: structure, references, internal subsets, errors, UTF-16, the element
// chains, and the limits that keep hostile documents harmless.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lang/xml/xml_internal.h"
#include "lang/xml_reader.h"

namespace {

// Owns a writable copy of the bytes, which must outlive the document.
struct Parsed {
    explicit Parsed(const std::string& text) : bytes(text.begin(), text.end()) {
        doc = ParseXmlBuffer(bytes.data(), bytes.size());
    }
    ~Parsed() { FreeXml(doc); }
    XmlElement* root() const { return &doc->root; }
    const char* attr(const char* name) const { return XmlAttr(root(), name); }
    std::string error() const { return doc->errorText; }
    std::vector<char> bytes;
    XmlDocument* doc;
};

std::string ErrorOf(const std::string& text) { return Parsed(text).error(); }
std::string Near(int line, const std::string& what) {
    return "[error near line " + std::to_string(line) + "]: " + what;
}

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    while (times-- > 0)
        text += piece;
    return text;
}

// The first `count` entries of a list, "(null)" standing for a null entry.
std::vector<std::string> Entries(char** list, std::size_t count) {
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < count; ++i)
        entries.emplace_back(list[i] != nullptr ? list[i] : "(null)");
    return entries;
}

// How many elements a chain holds from `first` on.
int Count(const XmlElement* first, XmlElement* XmlElement::*next) {
    int count = 0;
    for (; first != nullptr; first = first->*next)
        ++count;
    return count;
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// The root's text and attributes (nullptr: absent) of documents that parse without an error.
TEST(XmlText, ConcatenationReferencesLineEndsEntitiesAndAttributes) {
    const struct {
        std::string input, text;
        std::vector<std::pair<const char*, const char*>> attributes;
    } cases[] = {
        {"<a x='1'/>", "", {{"x", "1"}}},
        {"<a>hi</a>\r\ntail", "hi", {}}, // the last byte closes but never joins the text
        {"<a x='1'>x<b/>y</a>", "xy", {{"x", "1"}}},
        // An unquoted value reads as the next name; a pair without a name is dropped rather than
        // ending the list early.
        {"<a b c = \"2\" d=3 e=\"\"/>", "", {{"b", ""}, {"c", "2"}, {"d", ""}, {"3", ""}, {"e", ""},
                                           {"f", nullptr}}},
        {"<a ='1' z='2'/>", "", {{"z", "2"}}},
        {"\xEF\xBB\xBF junk <!-- c --><a>1<![CDATA[<&amp;>\r\n]]><!-- - -->2</a> after",
         "1<&amp;>\n2", {}},
        {"<a>&lt;&amp;lt;&#x4E2D;</a>", "<&lt;\xE4\xB8\xAD", {}},
        {"<a>&lt;&amp;lt;&#20013;</a>", "<&lt;\xE4\xB8\xAD", {}},
        {"<a>&gt;&quot;&apos;&#x1F600;&#x7FFFFFFF;&#99999999999;&#-1;&# 65;&#+66;</a>",
         ">\"'\xF0\x9F\x98\x80\xFD\xBF\xBF\xBF\xBF\xBF\xFD\xBF\xBF\xBF\xBF\xBF\xFF"
         "AB", {}},
        // What is no reference stays literally, also when cut off by the end of a text.
        {"<a>&nbsp;&#0;&#x41&#;&#xG;&</a>", "&nbsp;&#0;&#x41&#;&#xG;&", {}},
        {"<a>x&#</a>", "x&#", {}},
        {"<a v='&#x'/>", "", {{"v", "&#x"}}},
        {"<a v='1\t2\r\n3\n4&#10;5'>x\r\ny\rz</a>", "x\ny\nz", {{"v", "1 2 3 4\n5"}}},
        // A parameter reference in the subset ends it quietly; the document goes on.
        {"<!DOCTYPE a [%x; <!ENTITY e 'y'>]><a>&e;</a>", "&e;", {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.input);
        Parsed xml(test.input);
        EXPECT_EQ(xml.error(), "");
        EXPECT_EQ(xml.root()->text, test.text);
        for (const auto& [name, value] : test.attributes)
            EXPECT_EQ(xml.attr(name) ? std::string(xml.attr(name)) : "(none)", value ? value : "(none)");
    }
}

TEST(XmlDocument, InstructionsEntitiesDeclarationsAndOwnedValues) {
    Parsed pi("<?xml version='1.0' standalone='yes'?><?pi one?><a><?pi two?><?q?></a><?pi three?>");
    EXPECT_EQ(pi.error(), "");
    EXPECT_EQ(pi.doc->standalone, 1);
    ASSERT_EQ(pi.doc->instructionCount, 2u);
    EXPECT_EQ(Entries(pi.doc->instructions[0], 6),
              (std::vector<std::string>{"pi", "one", "two", "three", "(null)", "<>>"}));
    // An empty instruction is kept, not taken for the end of the list.
    EXPECT_EQ(Entries(pi.doc->instructions[1], 4),
              (std::vector<std::string>{"q", "", "(null)", ">"}));
    EXPECT_EQ(Parsed("<?xml standalone='no'?><a/>").doc->standalone, 0);

    Parsed tree("<a x='1'>x<b/>y</a>");
    EXPECT_STREQ(tree.root()->name, "a");
    EXPECT_EQ(tree.doc->openElement, nullptr);
    ASSERT_NE(XmlChild(tree.root(), "b"), nullptr);
    EXPECT_EQ(XmlChild(tree.root(), "b")->textOffset, 1u);

    Parsed xml("<!DOCTYPE a [<!ENTITY e '&#60;b&#62;'><!ENTITY % p \"[%q;]\">"
               "<!ENTITY f \"%p;&e;\">]><a>&e;|&f;</a>");
    EXPECT_EQ(xml.error(), "");
    EXPECT_STREQ(xml.root()->text, "<b>|[%q;]<b>");
    EXPECT_EQ(xml.root()->firstChild, nullptr);
    ASSERT_EQ(xml.doc->entityCount, 7u);
    EXPECT_STREQ(xml.doc->entities[10], "e;");
    // The values grow when a parameter entity is longer than its reference; freeing them is
    // checked by the leak detector.
    Parsed grown("<!DOCTYPE a [<!ENTITY % p 'a long parameter value'>"
                 "<!ENTITY e '%p;%p;'><!ATTLIST a v CDATA '&e;'>]><a>&e;<b/>&e;</a>");
    EXPECT_EQ(grown.error(), "");
    const std::string twice = "a long parameter valuea long parameter value";
    EXPECT_EQ(grown.attr("v"), twice);
    EXPECT_EQ(grown.root()->text, twice + twice);
    EXPECT_NE(grown.root()->flags & kXmlOwnsValue, 0);

    Parsed attlist("<!DOCTYPE a [<!ATTLIST a v CDATA 'one' t NMTOKENS #IMPLIED>"
                   "<!ATTLIST a w (x|y) #FIXED ' y ' n CDATA #IMPLIED>"
                   "<!ATTLIST b v NOTATION (p) 'p'>]>"
                   "<a t=' x \t y ' n=' 1 '><a/><b/></a>");
    EXPECT_EQ(attlist.error(), "");
    for (const auto& [name, value] :
         {std::pair{"v", "one"}, {"t", "x y"}, {"n", " 1 "}, {"w", "y"}}) // w: the second ATTLIST
        EXPECT_STREQ(attlist.attr(name), value);                           // adds to a's entry
    XmlElement* inner = XmlChild(attlist.root(), "a");
    EXPECT_STREQ(XmlAttr(inner, "v"), "one");
    EXPECT_EQ(XmlAttr(inner, "t"), nullptr);
    EXPECT_STREQ(XmlAttr(XmlChild(attlist.root(), "b"), "v"), "p");
    EXPECT_EQ(attlist.doc->declarationCount, 2u);
}

TEST(XmlErrors, ExactTextsAndLines) {
    const struct {
        std::string input;
        int line;
        const char* error; // nullptr: none
    } cases[] = {
        {"", 1, "root tag missing"}, {"plain text", 1, "root tag missing"},
        {"<!-- only -->\n\n", 2, "root tag missing"}, {"\xFF\xFE", 1, "root tag missing"},
        {"\xFF", 1, "root tag missing"},
        {Utf16(u"<a/>", false) + "x", 1, nullptr}, // the odd byte is ignored
        {"<a/>\n<b/>", 2, "markup outside of root element"},
        {"<a x='1/>", 1, "missing '"}, {"<a\nx=\"1/>", 1, "missing \""},
        {"<a v='&#", 1, "missing '"}, {"<a/", 1, "missing >"}, {"<a x y/ >", 1, "missing >"},
        {"<a>hi</a", 1, "missing >"}, {"<a>hi</ab", 1, "missing >"},
        {"<a>\n<b c>", 2, "unclosed tag <b>"}, {"<a>text", 1, "unclosed tag <a>"},
        {"<a>&#", 1, "unclosed tag <a>"}, {"<a></b>", 1, "unexpected closing tag </b>"},
        {"</a>", 1, "unexpected closing tag </a>"},
        {"<a>\n\n<b>\n</c>", 4, "unexpected closing tag </c>"},
        {"<a>\n<!-- a -- b -->\n</a>", 2, "unclosed <!--"},
        {"<a><![CDATA[x</a>", 1, "unclosed <![CDATA["}, {"<a>\n\n<?pi x</a>", 3, "unclosed <?"},
        {"<a>< b/></a>", 1, "unexpected <"},
        {"<!DOCTYPE a [<!ENTITY a 'x&a;'>]><a/>", 1, "circular entity declaration &a;"},
        {"<!DOCTYPE a [\n<!ENTITY a '&b;'>\n<!ENTITY b '&a;'>]><a/>", 3,
         "circular entity declaration &b;"},
        {"<!DOCTYPE a [<!ENTITY % p '%p;'><!ENTITY % q '%p;'>]><a/>", 1,
         "circular entity declaration &p;"},
        {"<!DOCTYPE a [<!ATTLIST ]><a/>", 1, "unclosed <!ATTLIST"},
        {"<!DOCTYPE a [<!ATTLIST a v CDATA bad>]><a/>", 1, "malformed <!ATTLIST"},
        {"<!DOCTYPE a [<!ATTLIST a v (x|y>]><a/>", 1, "malformed <!ATTLIST"},
        {"<!DOCTYPE a [<!ATTLIST a v CDATA 'x>]><a/>", 1, "malformed <!ATTLIST"},
        {"<!DOCTYPE a [<!ENTITY e 'x'>", 1, "unclosed <!DOCTYPE"},
        {"<!DOCTYPE a", 1, "unclosed <!DOCTYPE"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(ErrorOf(test.input), test.error ? Near(test.line, test.error) : "") << test.input;
    // What was built before the error is kept.
    Parsed xml("<L><Language id='1'/><Language id='2'><x></y></Language></L>");
    EXPECT_EQ(xml.error(), Near(1, "unexpected closing tag </y>"));
    XmlElement* first = XmlChild(xml.root(), "Language");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->nextSameName, nullptr);
    EXPECT_STREQ(XmlAttr(first->nextSameName, "id"), "2");
}

TEST(XmlUtf16, BothByteOrdersGiveTheUtf8TreeAndSurrogatesAreTakenAsTheyCome) {
    const std::u16string text =
        u"<L><Language id=\"2052\" name=\"\u7B80\u4F53\"/>\U0001F600</L>\r\n";
    for (bool bigEndian : {false, true}) {
        Parsed xml(Utf16(text, bigEndian));
        EXPECT_EQ(xml.error(), "");
        EXPECT_STREQ(XmlAttr(XmlChild(xml.root(), "Language"), "name"), "\xE7\xAE\x80\xE4\xBD\x93");
        EXPECT_STREQ(xml.root()->text, "\xF0\x9F\x98\x80");
    }
    // A high surrogate takes the next unit, whatever it is.
    Parsed pair(Utf16(u"<a>\xDBFF\xDFFF|x\xD800y</a>", false));
    EXPECT_STREQ(pair.root()->text, "\xF4\x8F\xBF\xBF|x\xF0\x90\x81\xB9");
    Parsed last(Utf16(u"<a/>\xDC00", false)); // a last surrogate is encoded as it is
    EXPECT_EQ(last.error(), "");
    EXPECT_EQ(last.doc->workEnd - last.doc->workStart, 7);
}

TEST(XmlLinks, ChainsByNameAndByOrder) {
    Parsed xml("<r><b i='1'/><c/><b i='2'/><d/></r>");
    XmlElement* b = XmlChild(xml.root(), "b");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(XmlAttr(b, "i"), "1");
    ASSERT_NE(b->nextSameName, nullptr);
    EXPECT_STREQ(XmlAttr(b->nextSameName, "i"), "2");
    EXPECT_EQ(b->nextSameName->nextSameName, nullptr);
    EXPECT_EQ(b->nextOtherName, XmlChild(xml.root(), "c"));
    EXPECT_EQ(b->nextOtherName->nextOtherName, XmlChild(xml.root(), "d"));
    EXPECT_EQ(b->nextInOrder, XmlChild(xml.root(), "c"));
    EXPECT_EQ(b->nextInOrder->nextInOrder, b->nextSameName);
    EXPECT_EQ(xml.root()->firstChild, b);
    EXPECT_EQ(XmlChild(xml.root(), "B"), nullptr);
    EXPECT_EQ(XmlChild(nullptr, "b"), nullptr);
    EXPECT_EQ(XmlAttr(nullptr, "i"), nullptr);
    FreeXml(nullptr);
}

TEST(XmlLimits, ExpansionLookupsNestingAndSiblingsStayBounded) {
    std::string subset = "<!ENTITY l0 'lol'>";
    for (int level = 1; level <= 9; ++level)
        subset += "<!ENTITY l" + std::to_string(level) + " '" +
                  Repeat("&l" + std::to_string(level - 1) + ";", 10) + "'>";
    const std::string head = "<!DOCTYPE a [" + subset + "]>\n";
    EXPECT_EQ(ErrorOf(head + "<a>&l9;</a>"), Near(2, "entity expansion too large"));
    EXPECT_EQ(ErrorOf(head + "<a v='&l9;'/>"), Near(2, "entity expansion too large"));
    EXPECT_EQ(std::string(Parsed(head + "<a>&l2;</a>").root()->text).size(), 300u); // used a little
    // Each declaration looks through all earlier ones: the name lookups are bounded as well.
    std::string chain = "<!ENTITY e0 'x'>";
    for (int i = 1; i < 5000; ++i)
        chain += "<!ENTITY e" + std::to_string(i) + " '&e" + std::to_string(i - 1) + ";'>";
    EXPECT_EQ(ErrorOf("<!DOCTYPE a [" + chain + "]><a/>"), Near(1, "entity expansion too large"));
    // Many predefined entities and deep nesting parse and free.
    EXPECT_EQ(Parsed("<a>" + Repeat("&amp;", 300000) + "</a>").root()->text,
              std::string(300000, '&'));
    const std::string open = Repeat("<e>", 100000);
    EXPECT_EQ(ErrorOf(open), Near(1, "unclosed tag <e>"));
    EXPECT_EQ(ErrorOf(open + Repeat("</e>", 100000)), "");

    // Alternating names and all-distinct names: each child is linked at once, not after a walk
    // through its earlier siblings (which took minutes for a megabyte).
    std::string text = "<r>" + Repeat("<b/><a/>", 50000);
    for (int i = 0; i < 50000; ++i)
        text += "<n" + std::to_string(i) + "/>";
    Parsed xml(text + "<a/></r>");
    ASSERT_EQ(xml.error(), "");
    EXPECT_EQ(Count(XmlChild(xml.root(), "a"), &XmlElement::nextSameName), 50001);
    const XmlElement* last = XmlChild(xml.root(), "a");
    while (last->nextSameName != nullptr)
        last = last->nextSameName;
    EXPECT_EQ(last->nextInOrder, nullptr); // the last child of all
    EXPECT_EQ(Count(xml.root()->firstChild, &XmlElement::nextOtherName), 50002); // b, a, n0...
    EXPECT_STREQ(xml.root()->firstChild->nextOtherName->name, "a");
}

TEST(XmlStream, ReadsTheWholeFileAndOwnsIt) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::string text = "<a>" + Repeat("<b>x</b>", 3000) + "</a>";
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    XmlDocument* doc = ParseXmlStream(file); // the leak detector checks that it frees the bytes
    std::fclose(file);
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(doc->errorText, "");
    EXPECT_EQ(Count(XmlChild(&doc->root, "b"), &XmlElement::nextSameName), 3000);
    FreeXml(doc);
    XmlDocument* none = ParseXmlStream(nullptr);
    EXPECT_EQ(none->errorText, Near(1, "root tag missing"));
    FreeXml(none);
}

// Every allocation of the reader goes through one path, so each can be made to fail in turn: the
// parse then gives nothing and leaves nothing behind (the leak checker would see it).
TEST(XmlMemory, EachFailingAllocationEndsTheParseWithNothingLeft) {
    std::string text =
        "<!DOCTYPE d [<!ENTITY e 'grown &#60;text&#62;'><!ATTLIST d a CDATA 'x' b NMTOKEN ' y '>]>"
        "<?target one?><d k='&e;&e;'>a<![CDATA[b]]>&e;<c/><c/><f/><c/><g x='1' y='2' z='3'/>"
        "<?target two?></d>";
    for (int i = 0; i < 12; ++i)
        text.insert(text.size() - 4, "<s" + std::to_string(i % 5) + "/>");
    std::size_t failures = 0;
    for (std::size_t allowed = 0;; ++allowed, ++failures) {
        std::string bytes = text;
        xml::allocationsBeforeFailure = allowed;
        XmlDocument* doc = ParseXmlBuffer(bytes.data(), bytes.size());
        xml::allocationsBeforeFailure = xml::kNoFailure;
        if (doc != nullptr) {
            EXPECT_STREQ(doc->errorText, "");
            EXPECT_STREQ(XmlAttr(&doc->root, "b"), "y");
            FreeXml(doc);
            break;
        }
        ASSERT_LT(allowed, 1000u) << "the parse never succeeds";
    }
    EXPECT_GT(failures, 20u); // the document reaches every kind of allocation
}

} // namespace
