#pragma once
// The numbers the tuning procedures deal in, in the form of each Windows
// family: number text in REG_SZ values on 95/98/ME, REG_DWORD on NT. Reads
// tell a value that does not exist from one that holds something else, and
// both from one that could not be read.
#include <cstdint>
#include <string>

#include "engine/TcpipValues.h"
#include "system/Registry.h"

namespace vornix {

struct NumberRead {
    enum Kind { Absent, Number, NotNumber, Failed } kind = Absent;
    std::int32_t value = 0;
};

NumberRead ToNumber(Family family, const Registry::Value& value);

// The value that holds `number` in the family's form.
Registry::NewValue NumberValue(Family family, const std::string& name, std::int32_t number);
Registry::NewValue TextValue(const std::string& name, const std::string& text);

}  // namespace vornix
