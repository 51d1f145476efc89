#include "platform/zlib/RawDeflate.h"
#include "platform/LinkCode.h"
#include <climits>
#include <zlib.h>

namespace {

// Raw streams: a negative window size tells zlib to write and read neither
// header nor trailer.
const int kRawWindowBits = -15;
const int kMemLevel = 9;

bool Refuse(std::vector<uint8_t>* out, std::string* error, const char* why) {
    std::vector<uint8_t>().swap(*out);
    if (error)
        *error = why;
    return false;
}

} // namespace

std::vector<uint8_t> RawDeflate(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    z_stream z = {};
    if (deflateInit2(&z, 9, Z_DEFLATED, kRawWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return out;
    out.resize(deflateBound(&z, static_cast<uLong>(size)));
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    // deflateBound leaves room for the whole stream, so one call finishes it.
    const int result = deflate(&z, Z_FINISH);
    out.resize(result == Z_STREAM_END ? z.total_out : 0);
    deflateEnd(&z);
    return out;
}

bool RawInflate(const uint8_t* data, size_t size, size_t maxBytes, std::vector<uint8_t>* out,
                std::string* error) {
    out->clear();
    if (size > UINT_MAX)
        return Refuse(out, error, "the link's code is too long to unpack");
    z_stream z = {};
    if (inflateInit2(&z, kRawWindowBits) != Z_OK)
        return Refuse(out, error, "the link's code cannot be unpacked: out of memory");
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    uint8_t chunk[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        // Room for one byte more than allowed at most: filling it proves the
        // stream too large without unpacking any further.
        const size_t left = maxBytes - out->size();
        z.next_out = chunk;
        z.avail_out = static_cast<uInt>(left < sizeof chunk ? left + 1 : sizeof chunk);
        result = inflate(&z, Z_NO_FLUSH);
        out->insert(out->end(), chunk, z.next_out);
        if (out->size() > maxBytes) {
            inflateEnd(&z);
            return Refuse(out, error, "the link's code unpacks to more than any level can be");
        }
    }
    const unsigned leftOver = z.avail_in;
    inflateEnd(&z);
    if (result == Z_STREAM_END)
        return leftOver == 0
                   ? true
                   : Refuse(out, error, "the link's code goes on past its end: it was changed");
    if (result == Z_DATA_ERROR)
        return Refuse(out, error, "the link's code is damaged: it does not unpack");
    if (result == Z_MEM_ERROR)
        return Refuse(out, error, "the link's code cannot be unpacked: out of memory");
    return Refuse(out, error, "the link's code is cut short");
}

std::string MakeDeflatedLinkCode(char format, const uint8_t* data, size_t size) {
    const std::vector<uint8_t> deflated = RawDeflate(data, size);
    return MakeLinkCode(format, deflated.data(), deflated.size());
}

bool ReadDeflatedLinkCode(std::string_view code, char format, size_t maxBytes,
                          std::vector<uint8_t>* data, std::string* error) {
    std::vector<uint8_t> deflated;
    if (!ReadLinkCode(code, format, &deflated, error)) {
        data->clear();
        return false;
    }
    return RawInflate(deflated.data(), deflated.size(), maxBytes, data, error);
}
