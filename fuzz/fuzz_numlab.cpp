// The numeric label's value texts for any value, display type, precision and options.
#include "FuzzSupport.h"
#include "NumLabText.h"

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzInitApplication();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  NumLab::TextSettings s;
  s.DisplayType = NumLab::TDisplay(in.ConsumeIntegralInRange(0, int(NumLab::dtEEngNoDP)));
  // Precision is an integer property anyone can set, so any int is fair.
  s.Precision = in.ConsumeBool() ? in.ConsumeIntegralInRange(-2, 20) : in.ConsumeIntegral<int>();
  s.Comma = in.ConsumeBool();
  s.ForcePlusSign = in.ConsumeBool();
  s.DTFormat = FuzzText(in, 40);
  s.StateText = FuzzText(in, 16);
  s.OverflowIndicator = FuzzText(in, 8);
  const double value = FuzzDouble(in);
  const QString text = NumLab::ValueText(value, s);
  if (text.size() > 4096) __builtin_trap(); // a value text is never unbounded

  // The single formats with the same value, within the precision they take
  // (0 .. 15) and, for the integer types, where their range tests allow them.
  const int p = std::clamp(s.Precision, 0, 15);
  NumLab::FixedText(value, p);
  NumLab::FloatText(value, p);
  NumLab::ExpText(value, p);
  NumLab::FixedField(value, in.ConsumeIntegralInRange(0, 40), p);
  if (NumLab::InHexRange(value)) {
    NumLab::HexText(value, p);
    NumLab::BinText(value, p);
    NumLab::OctText(value, p);
  }
  if (NumLab::InZeroIntRange(value)) NumLab::ZeroIntText(value, p);
  if (NumLab::InIntRange(value)) NumLab::IntText(value);
  NumLab::DegText(value, p);
  NumLab::DegMinText(value, p);
  NumLab::DegMinSecText(value, p);
  NumLab::EngText(value, p, in.ConsumeBool());
  return 0;
}
