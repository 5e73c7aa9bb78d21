// libFuzzer entry: any byte string is either loaded as a form or refused with
// a FormFileError; anything else (a crash, another exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/model/FormFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    (void)host::loadFormText(std::string_view(reinterpret_cast<const char*>(data), size), {}, "fuzz");
  } catch (const host::FormFileError&) {
    // a refusal is a correct answer
  }
  return 0;
}
