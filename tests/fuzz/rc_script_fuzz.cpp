// Fuzzes the package's script compiler: preprocessor, block checks and
// statements, with includes served from the input itself. The first bytes
// choose how the input is cut into the script and the files it may include
// ("part.h", read also as the Pascal unit "part.pas", and "part.rc"; anything
// else cannot be opened). Whatever the input, the compile must end, every
// diagnostic must name a file and a line, a failed compile must say why, and
// a good one must hold the script's text, which it is asked for.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/rc/rc_compile.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t cutA = data[0] * input.size() / 256, cutB = cutA + data[1] * (input.size() - cutA) / 256;
  const std::string script = input.substr(0, cutA);
  const std::string header = input.substr(cutA, cutB - cutA);
  const std::string part = input.substr(cutB);

  package::FileReader reader = [&](const std::string& path, std::string& text) {
    if (path == "C:\\fuzz\\part.h" || path == "C:\\fuzz\\part.pas") text = header;
    else if (path == "C:\\fuzz\\part.rc") text = part;
    else if (path == "C:\\fuzz\\menu.rc") text = script;  // the script including itself
    else return false;
    return true;
  };
  package::CompiledScript out;
  package::CompileOptions options;
  options.scriptText = true;
  const bool ok = package::CompileScript("C:\\fuzz\\menu.rc", script, reader, options, out);
  for (const package::Diagnostic& d : out.diagnostics) {
    FUZZ_CHECK(!d.file.empty());
    FUZZ_CHECK(d.line >= 0);
    FUZZ_CHECK(!d.message.empty());
  }
  if (ok) {
    FUZZ_CHECK(package::CountErrors(out.diagnostics) == 0);
    FUZZ_CHECK(!out.entries.empty());
    FUZZ_CHECK(out.entries.back().data.size() == script.size());
  } else {
    FUZZ_CHECK(package::CountErrors(out.diagnostics) > 0);
  }
  return 0;
}
