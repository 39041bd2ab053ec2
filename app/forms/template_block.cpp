#include "app/forms/template_block.h"

#include <algorithm>
#include <array>

#include "app/forms/forms.h"
#include "app/forms/template_encoder.h"

namespace app::forms {
namespace {

constexpr std::size_t kBlockSize = EncodeTemplateBlock(kWindows).size();

// Encoded by the compiler: the block is plain read-only data in the program.
constexpr std::array<std::uint8_t, kBlockSize> kBlock = [] {
  std::array<std::uint8_t, kBlockSize> block{};
  std::vector<std::uint8_t> bytes = EncodeTemplateBlock(kWindows);
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}();

constexpr std::size_t UnitTableSize(const Window& window) {
  ByteWriter w;
  EncodeUnitTable(w, window);
  return w.size();
}

// The sizes every reader of the block relies on: a description change that
// moves them fails the build here.
static_assert(ByteWriter::Length(kMainWindowCaption) == 35, "the main window's title is 35 bytes");
static_assert(UnitTableSize(kMainWindow) == 2508);
static_assert(UnitTableSize(kInitDatabaseWindow) == 737);
static_assert(UnitTableSize(kRecordWindow) == 2528);
static_assert(kBlockSize == 5873);

}  // namespace

std::span<const std::uint8_t> TemplateBlock() { return kBlock; }

}  // namespace app::forms
