#include "TelnetCodec.h"

namespace telnet {

bool Decoder::decode(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                     CommandHandler& handler) {
    for (std::size_t i = 0; i < count && state != State::Broken; ++i) {
        if (!step(bytes[i], data, handler)) {
            state = State::Broken;
        }
    }
    return state != State::Broken;
}

bool Decoder::step(std::uint8_t byte, std::vector<std::uint8_t>& data, CommandHandler& handler) {
    switch (state) {
        case State::Data:
            if (byte == Iac) {
                state = State::Command;
            } else {
                data.push_back(byte);
            }
            return true;
        case State::Command:
            state = State::Data;
            if (byte == Iac) {
                data.push_back(Iac);
            } else if (byte >= Will) {
                verb = byte;
                state = State::Option;
            } else if (byte == Sb) {
                state = State::SubOption;
            } else if (byte < Se) {
                return false;
            }
            // SE outside a subnegotiation, NOP, data mark, break, go ahead and
            // the other line-editing commands mean nothing on a serial port.
            return true;
        case State::Option:
            state = State::Data;
            handler.negotiation(verb, byte);
            return true;
        case State::SubOption:
            subOption = byte;
            payload.clear();
            state = State::SubData;
            return true;
        case State::SubData:
            if (byte == Iac) {
                state = State::SubCommand;
                return true;
            }
            payload.push_back(byte);
            return payload.size() <= LongestSubnegotiation;
        case State::SubCommand:
            if (byte == Iac) {
                payload.push_back(Iac);
                state = State::SubData;
                return payload.size() <= LongestSubnegotiation;
            }
            if (byte != Se) {
                return false;
            }
            state = State::Data;
            handler.subnegotiation(subOption, payload);
            return true;
        case State::Broken:
            return false;
    }
    return false;
}

void AppendEscaped(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == Iac) {
            out.push_back(Iac);
        }
    }
}

void AppendNegotiation(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& out) {
    out.insert(out.end(), {Iac, verb, option});
}

void AppendSubnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload,
                          std::vector<std::uint8_t>& out) {
    out.insert(out.end(), {Iac, Sb, option});
    AppendEscaped(payload.data(), payload.size(), out);
    out.insert(out.end(), {Iac, Se});
}

}  // namespace telnet
