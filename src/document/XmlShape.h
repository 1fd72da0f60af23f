// The shape of an XML text, checked in one linear pass over its bytes before
// libxml2 builds a tree of it: how many attributes an element has, how deep
// elements nest, how many children an element has and how many elements
// there are in all. libxml2 checks an element's attributes against each
// other (quadratic in their number) and keeps every node of the tree, so a
// hostile file is refused here, as soon as a limit is passed, before that
// work starts. A document type declaration is refused too: our files never
// carry one, and refusing it keeps entity expansion out.
#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/parser.h>

#include <vector>

namespace stepvane {

// How libxml2 parses a wizard text once its shape passed: never from the
// network, no size limits of its own (the shape check bounds the work), its
// messages kept for our own.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct XmlShapeLimits {
    // Children whose names begin with a prefix, counted apart from the
    // others under each parent ("TestingSequence_Num": at most 100).
    struct Counted {
        QByteArray prefix;
        int max = 0;
    };

    int maxAttributes = 64;       // on one element, namespace declarations included
    int maxDepth = 256;           // elements open at once
    int maxChildren = 0;          // other element children of one element; 0: any
    qint64 maxElements = 2000000; // in the whole text
    std::vector<Counted> counted; // at most kMaxCounted

    static constexpr size_t kMaxCounted = 4;

    // Any XML the programs read (setup files).
    static XmlShapeLimits general() { return {}; }
    // Wizard and testing unit files: the format's own limits (100 sequences,
    // 100 steps plus the End Option step, a few attributes and levels) with
    // room to spare where the format does not fix a number.
    static XmlShapeLimits wizard();
};

// Empty when the text keeps the limits; otherwise what broke them, for
// messages ("more than 100 TestingSequence_Num elements in one element").
// Text that is not well-formed enough to be scanned is refused as well.
struct SkippedText;
// skipped: stretches of plain text found beforehand (see skippableTexts),
// which the scan jumps over rather than reads again.
QString xmlShapeProblem(const char *data, qint64 size, const XmlShapeLimits &limits,
                        const std::vector<SkippedText> *skipped = nullptr);
// Whether a problem is only that the markup is not well-formed (no limit was
// passed before that point).
bool isMalformedOnly(const QString &problem);

} // namespace stepvane
