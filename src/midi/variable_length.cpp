#include "midi/variable_length.h"

namespace vl {

void writeVariableLength(uint32_t value, std::vector<uint8_t>& out) {
    value &= 0x0FFFFFFF;
    uint8_t groups[4];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && n < 4);
    while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

}  // namespace vl
