// Parsing a document whose embedded files are decoded while it is read.
// Nearly all of a large wizard is base64 text; kept in the tree it is built
// up in ever larger copies, held beside the bytes decoded from it and read a
// second time to decode. Decoded as the parser hands it over, each text is
// read once and only its bytes are kept.
#pragma once

#include "document/Base64.h"

#include <deque>

// libxml2's own names, declared so that this header needs none of libxml2's.
typedef struct _xmlDoc xmlDoc;               // NOLINT(bugprone-reserved-identifier)
typedef struct _xmlNode xmlNode;             // NOLINT(bugprone-reserved-identifier)
typedef struct _xmlParserCtxt xmlParserCtxt; // NOLINT(bugprone-reserved-identifier)

namespace stepvane {

using DecodedTexts = std::deque<Base64Stream>; // a deque keeps each in place

// Parses with ctxt, which it frees. With texts, the text of every element
// typed bin.base64 goes into a stream of texts as it is read (keeping the
// bytes, their count or their digest), and the tree holds none of it; a
// second copy of an element, or anything inside one, keeps its text, because
// the notes on repeated elements digest those as they stand. Null when the
// document is not well formed.
xmlDoc *parseDocument(xmlParserCtxt *ctxt, int options, DecodedTexts *texts,
                      Base64Keeps keeps = Base64Keeps::Bytes);

struct MappedInput;
// The same for a mapped file. With texts, the long base64 texts listed in
// input.skipped (see skippableTexts) are taken straight from the mapping;
// should the parse find one
// anywhere but at the start of an element's text, or fail, it is done again
// with nothing skipped, so the tree, the texts and the words for a failure
// are always those of the plain parse. input.taken tells how many were
// taken.
xmlDoc *parseMapped(MappedInput &input, int options, DecodedTexts *texts,
                    Base64Keeps keeps = Base64Keeps::Bytes);

// The decoded text of element, or null when its text is in the tree.
Base64Stream *decodedText(const xmlNode *element);

} // namespace stepvane
