#pragma once
// Reading and writing the numbers the tuning procedures deal in, in the form
// of each Windows family: number text in REG_SZ values on 95/98/ME, REG_DWORD
// on NT. Reads tell an absent value from one that holds something else;
// writes read the value back, so a write the registry refused is noticed.
#include <cstdint>
#include <string>

#include "system/Registry.h"

namespace vornix {

enum class Family { Win9x, NT };

struct NumberRead {
    enum Kind { Absent, Number, NotNumber } kind = Absent;
    std::int32_t value = 0;
};

NumberRead ReadNumber(Registry& reg, Family family, const std::string& key,
                      const std::string& name);

// Writes `value` and reports whether the registry now holds it.
bool WriteNumber(Registry& reg, Family family, const std::string& key, const std::string& name,
                 std::int32_t value);

// Deletes the value and reports whether it is gone.
bool RemoveValue(Registry& reg, const std::string& key, const std::string& name);

// Writes a REG_SZ value and reports whether the registry now holds it.
bool WriteText(Registry& reg, const std::string& key, const std::string& name,
               const std::string& text);

}  // namespace vornix
