// The telnet framing of a remote port fed any bytes from the server, whole
// and cut in two at a point the first byte chooses: both must give the same
// data, the same commands and the same verdict; the data is never more than
// the bytes, no subnegotiation passes its bound, and the data framed again
// decodes to itself with no command.
#include <vector>

#include "FuzzSupport.h"
#include "TelnetCodec.h"

namespace {

struct Decoded : telnet::CommandHandler {
    std::vector<std::uint8_t> data;
    std::vector<std::vector<std::uint8_t>> commands;
    bool intact = true;

    void negotiation(std::uint8_t verb, std::uint8_t option) override {
        FUZZ_CHECK(verb >= telnet::Will && verb <= telnet::Dont);
        commands.push_back({verb, option});
    }
    void subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) override {
        FUZZ_CHECK(payload.size() <= telnet::Decoder::LongestSubnegotiation);
        std::vector<std::uint8_t> command{telnet::Sb, option};
        command.insert(command.end(), payload.begin(), payload.end());
        commands.push_back(command);
    }
};

Decoded decode(const std::uint8_t* data, std::size_t size, std::size_t cut) {
    Decoded decoded;
    telnet::Decoder decoder;
    decoded.intact = decoder.decode(data, cut, decoded.data, decoded) &&
                     decoder.decode(data + cut, size - cut, decoded.data, decoded);
    return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t cut = data[0] % size;
    const Decoded whole = decode(data, size, size);
    const Decoded pieces = decode(data, size, cut);
    FUZZ_CHECK(whole.data == pieces.data);
    FUZZ_CHECK(whole.commands == pieces.commands);
    FUZZ_CHECK(whole.intact == pieces.intact);
    FUZZ_CHECK(whole.data.size() <= size);

    std::vector<std::uint8_t> framed;
    telnet::AppendEscaped(whole.data.data(), whole.data.size(), framed);
    const Decoded again = decode(framed.data(), framed.size(), framed.size());
    FUZZ_CHECK(again.intact && again.commands.empty() && again.data == whole.data);
    return 0;
}
