// The byte form of a form's record; see FormRecord.h. Numbers and texts are
// written as base/ByteRecord.h writes them.
#include "extract/forms/FormRecord.h"

#include <cstring>

#include "base/ByteRecord.h"

namespace sw {

namespace {

bool RecordsValue(std::uint8_t kind) {
  return kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings;
}

// Fewest bytes a step takes: its three bytes and two empty texts.
constexpr std::size_t kMinStepBytes = 3 + 4 + 4;

bool DecodeSteps(TByteReader& in, std::vector<TFormStep>& steps) {
  std::uint32_t count = 0;
  if (!in.U32(count) || count == 0 || count > in.Left() / kMinStepBytes) return false;
  steps.resize(count);
  int depth = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    TFormStep& step = steps[i];
    std::uint8_t flag = 0;
    if (!in.U8(step.Kind) || !in.U8(flag) || !in.U8(step.ValueKind)) return false;
    if (step.Kind > TFormStep::ReportEnd || flag > 1 || step.ValueKind > vkInt64) return false;
    step.Flag = flag != 0;
    // The shape of a walk: one form first, components left only once entered.
    if ((step.Kind == TFormStep::Form) != (i == 0)) return false;
    if (step.Kind == TFormStep::Enter) ++depth;
    if (step.Kind == TFormStep::Leave && --depth < 0) return false;
    if (step.Kind == TFormStep::Drop && depth == 0) return false;
    if (!in.Text(step.Path) || !in.Text(step.Name)) return false;
    if (step.Kind != TFormStep::Property || !RecordsValue(step.ValueKind)) continue;
    switch (step.ValueKind) {
      case vkFloat: {
        std::uint64_t bits = 0;
        if (!in.U64(bits)) return false;
        std::memcpy(&step.Float, &bits, sizeof bits);
        break;
      }
      case vkInteger: {
        std::uint32_t value = 0;
        if (!in.U32(value)) return false;
        step.Integer = static_cast<std::int32_t>(value);
        break;
      }
      default:
        if (!in.Text(step.Text) || !in.Wide(step.WideText)) return false;
        break;
    }
  }
  return true;
}

}  // namespace

std::string EncodeFormRecord(const TFormRecord& record) {
  std::string out;
  PutU32(out, static_cast<std::uint32_t>(record.Steps.size()));
  for (const TFormStep& step : record.Steps) {
    out += static_cast<char>(step.Kind);
    out += static_cast<char>(step.Flag ? 1 : 0);
    out += static_cast<char>(step.ValueKind);
    PutText(out, step.Path);
    PutText(out, step.Name);
    if (step.Kind != TFormStep::Property || !RecordsValue(step.ValueKind)) continue;
    switch (step.ValueKind) {
      case vkFloat: {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &step.Float, sizeof bits);
        PutU64(out, bits);
        break;
      }
      case vkInteger:
        PutU32(out, static_cast<std::uint32_t>(step.Integer));
        break;
      default:
        PutText(out, step.Text);
        PutWide(out, step.WideText);
        break;
    }
  }
  return out;
}

bool DecodeFormRecord(std::string_view bytes, TFormRecord& record) {
  record = TFormRecord();
  TByteReader in(bytes);
  if (DecodeSteps(in, record.Steps) && in.AtEnd()) return true;
  record = TFormRecord();
  return false;
}

}  // namespace sw
