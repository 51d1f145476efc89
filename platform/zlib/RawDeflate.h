// Raw deflate (no zlib or gzip header) for link codes: a browser's
// CompressionStream('deflate-raw') reads what RawDeflate writes, and
// RawInflate reads what it writes. Native builds only: the page compresses
// with the browser's own streams.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The bytes deflated as tightly as zlib can (level 9, its largest window).
std::vector<uint8_t> RawDeflate(const uint8_t* data, size_t size);

// Inflates one raw deflate stream into *out, and never more than `maxBytes`:
// output past that stops the work at once, so a small code cannot unpack
// into gigabytes. Refused, with *out empty and a one-line reason in *error
// (if given): a stream that is damaged, that ends too soon, that has bytes
// after its end, or that unpacks to more than `maxBytes`.
bool RawInflate(const uint8_t* data, size_t size, size_t maxBytes, std::vector<uint8_t>* out,
                std::string* error);

// A link's code for the data: raw deflated, then framed as MakeLinkCode does.
std::string MakeDeflatedLinkCode(char format, const uint8_t* data, size_t size);
// The data of such a code: ReadLinkCode, then RawInflate to at most
// `maxBytes`; false with the one-line reason of the step that refused.
bool ReadDeflatedLinkCode(std::string_view code, char format, size_t maxBytes,
                          std::vector<uint8_t>* data, std::string* error);
