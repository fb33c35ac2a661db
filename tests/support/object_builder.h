// Composes binary object files nibble by nibble for tests.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "calcdata/object_types.h"

namespace bridgit::test {

inline std::uint32_t Prolog(std::string_view typeName) {
  for (const auto& t : ObjectTypeTable)
    if (t.name == typeName) return t.code;
  return 0;
}

// A Real: prolog and 16 nibbles of data.
inline void PutReal(TNibbleWriter& w, unsigned seed = 1) {
  w.Put5(Prolog("Real"));
  for (unsigned i = 0; i < 16; ++i) w.Put((seed + i) & 0xF);
}

// A length-prefixed object with `payload` nibbles after its length field.
inline void PutLengthPrefixed(TNibbleWriter& w, std::uint32_t prolog, std::size_t payload) {
  w.Put5(prolog);
  w.Put5(static_cast<std::uint32_t>(5 + payload));
  for (std::size_t i = 0; i < payload; ++i) w.Put(static_cast<unsigned>(i * 7) & 0xF);
}

inline void PutName(TNibbleWriter& w, std::uint32_t prolog, std::string_view name) {
  w.Put5(prolog);
  w.Put2(static_cast<std::uint32_t>(name.size()));
  w.PutBytes(name);
}

// A String of `chars`.
inline void PutString(TNibbleWriter& w, std::string_view chars) {
  w.Put5(Prolog("String"));
  w.Put5(static_cast<std::uint32_t>(5 + 2 * chars.size()));
  w.PutBytes(chars);
}

// A List (its prolog and end marker) around what `put` writes.
inline void PutList(TNibbleWriter& w, const std::function<void()>& put) {
  w.Put5(Prolog("List"));
  put();
  w.Put5(Prolog("Semi"));
}

// A header of the family followed by the object and `padding` bytes.
inline std::string ObjectFile(const TNibbleWriter& w, std::string_view family = kFamily73,
                              std::size_t padding = 0, char pad = '\x1A') {
  return MakeObjectHeader(family) + w.Packed() + std::string(padding, pad);
}

}  // namespace bridgit::test
