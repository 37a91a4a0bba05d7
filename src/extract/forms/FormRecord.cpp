// The byte form of a form's record; see FormRecord.h. Numbers are little
// endian; a text is its length (4 bytes) and its bytes, a wide text its
// length in code units and two bytes for each.
#include "extract/forms/FormRecord.h"

#include <cstring>

namespace sw {

namespace {

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutU64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, const std::string& text) {
  PutU32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

void PutWide(std::string& out, const std::u16string& text) {
  PutU32(out, static_cast<std::uint32_t>(text.size()));
  for (char16_t ch : text) {
    out += static_cast<char>(ch & 0xFF);
    out += static_cast<char>(ch >> 8);
  }
}

bool RecordsValue(std::uint8_t kind) {
  return kind == vkFloat || kind == vkInteger || kind == vkString || kind == vkStrings;
}

// Reads from a byte range that may end anywhere; every call after a failure fails.
class TByteReader {
 public:
  explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return pos_ == bytes_.size(); }
  std::size_t Left() const { return bytes_.size() - pos_; }

  bool U8(std::uint8_t& value) {
    if (Left() < 1) return false;
    value = static_cast<std::uint8_t>(bytes_[pos_++]);
    return true;
  }
  bool U32(std::uint32_t& value) {
    if (Left() < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<std::uint8_t>(bytes_[pos_++])} << (8 * i);
    return true;
  }
  bool U64(std::uint64_t& value) {
    if (Left() < 8) return false;
    value = 0;
    for (int i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<std::uint8_t>(bytes_[pos_++])} << (8 * i);
    return true;
  }
  bool Text(std::string& text) {
    std::uint32_t size = 0;
    if (!U32(size) || size > Left()) return false;
    text.assign(bytes_.data() + pos_, size);
    pos_ += size;
    return true;
  }
  bool Wide(std::u16string& text) {
    std::uint32_t size = 0;
    if (!U32(size) || size > Left() / 2) return false;
    text.resize(size);
    for (std::uint32_t i = 0; i < size; ++i, pos_ += 2)
      text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes_[pos_]) |
                                      (static_cast<std::uint8_t>(bytes_[pos_ + 1]) << 8));
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

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
