// Fuzzes the UTF-8 decoder against the plain reference decoder, in both its measuring and its
// converting mode, and the encoder's round trip of valid text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text/utf8.h"
#include "reference_utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  bool valid = false;
  const std::u16string expected = reference_utf8::decode(bytes, &valid);

  const std::size_t measured = text::utf8_to_utf16(bytes.data(), bytes.size(), nullptr);
  if (measured != expected.size()) std::abort();
  std::u16string decoded(measured, u'\0');
  if (text::utf8_to_utf16(bytes.data(), bytes.size(), decoded.data()) != measured) std::abort();
  if (decoded != expected) std::abort();

  std::string encoded(decoded.size() * 3, '\0');
  const long written = text::utf16_to_utf8(decoded.data(), decoded.size(), encoded.data());
  if (written < 0) std::abort();  // decoding never yields an unpaired surrogate
  encoded.resize(static_cast<std::size_t>(written));
  if (valid && encoded != bytes) std::abort();
  return 0;
}
