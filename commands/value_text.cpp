#include "commands/value_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "commands/date_time.h"

namespace commands {
namespace {

// "%.<precision>g" in the C locale, on every platform alike.
void AppendGeneral(double x, int precision, ByteBuffer& out) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, x, std::chars_format::general, precision);
  if (ec == std::errc()) out.Append(text, static_cast<std::size_t>(end - text));
}

template <typename Integer>
void AppendInteger(Integer v, ByteBuffer& out) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  if (ec == std::errc()) out.Append(text, static_cast<std::size_t>(end - text));
}

}  // namespace

double RoundFloatToSixDigits(float x) {
  if (x == 0.0f) return 0.0;
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  int biased = static_cast<int>((bits >> 23) & 0xFF);
  double magnitude = std::fabs(static_cast<double>(x));

  // Estimate the decimal exponent from the binary one; the steps below
  // correct an estimate that is one decade off. A subnormal float has no
  // binary exponent to estimate from (its field is 0 whatever the value),
  // so there the estimate comes from the value itself; otherwise the
  // smallest ones would round to 0.
  int a;
  if (biased == 0) {
    a = static_cast<int>(std::floor(std::log10(magnitude)));
  } else {
    a = static_cast<int>(static_cast<double>(biased - 127) * std::log10(2.0));
  }
  double s = std::pow(10.0, std::abs(a));
  double m = a > 0 ? magnitude / s : magnitude * s;
  if (m >= 10) {
    s *= 10;
    ++a;
    m *= 1e4;
  } else if (m < 1) {
    s *= 10;
    --a;
    m *= 1e6;
  } else {
    m *= 1e5;
  }
  double i;
  double fraction = std::modf(m, &i);  // stays in double: m may be infinite
  if (fraction >= 0.5) i += 1;
  if (x < 0) s = -s;
  return a > 0 ? i * (s * 0.00001) : i / (s * 100000.0);
}

bool AppendScalarText(const rt::Value& value, ByteBuffer& out) {
  switch (value.type) {
    case rt::type::kByte: AppendInteger(value.lo & 0xFFu, out); return true;
    case rt::type::kShort: AppendInteger(static_cast<std::int16_t>(value.lo & 0xFFFF), out); return true;
    case rt::type::kInt: AppendInteger(value.as_int(), out); return true;
    case rt::type::kInt64: AppendInteger(value.as_int64(), out); return true;
    case rt::type::kFloat: AppendGeneral(RoundFloatToSixDigits(value.as_float()), 6, out); return true;
    case rt::type::kDouble: AppendGeneral(value.as_double(), 13, out); return true;
    case rt::type::kBool: out.Append(value.lo != 0 ? "真" : "假", 2); return true;
    case rt::type::kDateTime: AppendDateTimeText(value.as_double(), out); return true;
    default: return false;
  }
}

}  // namespace commands
