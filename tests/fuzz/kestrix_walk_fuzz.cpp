// Fuzzes the built program's template walkers: the first byte chooses a
// dialog or a menu. Whatever the bytes, a walk ends within its bounds; a
// dialog it accepts, written back, walks again to the same controls, and
// writing that walk gives the same bytes, so what the system is handed is
// exactly what was checked.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "package/kestrix/kestrix_template.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

void CheckDialog(const uint8_t* data, size_t size) {
  kestrix::DialogTemplate walked;
  std::wstring reason;
  if (!kestrix::WalkDialog(data, size, &walked, &reason)) {
    FUZZ_CHECK(!reason.empty());
    return;
  }
  FUZZ_CHECK(walked.controls.size() <= kestrix::kMaxDialogControls);
  FUZZ_CHECK(walked.controls.size() == std::min(walked.declared, kestrix::kMaxDialogControls));
  const std::vector<uint8_t> written = kestrix::WriteDialog(walked);
  kestrix::DialogTemplate again;
  FUZZ_CHECK(kestrix::WalkDialog(written.data(), written.size(), &again, &reason));
  FUZZ_CHECK(again.extended && again.controls.size() == walked.controls.size());
  FUZZ_CHECK(again.style == walked.style && again.caption == walked.caption && again.face == walked.face);
  for (size_t i = 0; i < walked.controls.size(); ++i) {
    const kestrix::DialogControl& a = walked.controls[i];
    const kestrix::DialogControl& b = again.controls[i];
    FUZZ_CHECK(a.id == b.id && a.style == b.style && a.cls == b.cls && a.text == b.text);
    FUZZ_CHECK(b.data.size() == (a.data.size() + 1) / 2 * 2);
  }
  FUZZ_CHECK(kestrix::WriteDialog(again) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if (data[0] & 1) {
    CheckDialog(data + 1, size - 1);
    return 0;
  }
  kestrix::MenuShape shape;
  std::wstring reason;
  if (kestrix::WalkMenu(data + 1, size - 1, &shape, &reason)) {
    FUZZ_CHECK(shape.items >= 1 && shape.items <= kestrix::kMaxMenuItems);
    FUZZ_CHECK(shape.depth <= kestrix::kMaxMenuDepth);
  } else {
    FUZZ_CHECK(!reason.empty());
  }
  return 0;
}
