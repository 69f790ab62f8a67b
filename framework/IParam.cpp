#include "IParam.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Cuts text to 31 characters. The text may be the field's own (a parameter initialised again
// with its own name or label), so the copy must allow overlap.
void CopyText(char* field, const char* text)
{
  if (!text) {
    text = "";
  }
  size_t n = strnlen(text, IParam::kTextBytes - 1);
  memmove(field, text, n);
  field[n] = '\0';
}

// Truncation toward zero that saturates instead of overflowing.
int TruncToInt(double v)
{
  if (!(v == v)) {
    return 0;
  }
  if (v >= 2147483647.0) {
    return 2147483647;
  }
  if (v <= -2147483648.0) {
    return -2147483647 - 1;
  }
  return static_cast<int>(v);
}

} // namespace

double ToNormalizedParam(double v, double min, double max, double shape)
{
  return pow((v - min) / (max - min), 1.0 / shape);
}

IParam::IParam()
  : mType(kTypeNone), mValue(0.0), mMin(0.0), mMax(1.0), mStep(1.0), mShape(1.0),
    mDisplayPrecision(0), mDisplayTexts(4096)
{
  mName[0] = '\0';
  mLabel[0] = '\0';
}

void IParam::InitBool(const char* name, bool defaultVal, const char* /*label*/)
{
  if (mType == kTypeNone) {
    mType = kTypeBool;
  }
  // A switch shows "off" and "on" instead of a unit.
  InitEnum(name, defaultVal ? 1 : 0, 2);
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums)
{
  if (mType == kTypeNone) {
    mType = kTypeEnum;
  }
  InitInt(name, defaultVal, 0, nEnums - 1, "");
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label)
{
  if (mType == kTypeNone) {
    mType = kTypeInt;
  }
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, label);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label)
{
  if (mType == kTypeNone) {
    mType = kTypeDouble;
  }
  CopyText(mName, name);
  CopyText(mLabel, label);
  mValue = defaultVal;
  mMin = minVal;
  mMax = maxVal > minVal + step ? maxVal : minVal + step;
  mStep = step;

  // Decimal places: how often the step must be multiplied by 10 to become whole, at most 6.
  mDisplayPrecision = 0;
  for (double x = step; x != floor(x) && mDisplayPrecision < 6; x *= 10.0) {
    ++mDisplayPrecision;
  }
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) {
    mShape = shape;
  }
}

void IParam::SetDisplayText(int value, const char* text)
{
  // The text may be one of this parameter's own display texts, which the growth can move.
  char copy[kTextBytes];
  CopyText(copy, text);
  int n = mDisplayTexts.GetSize();
  mDisplayTexts.Resize(n + 1);
  if (mDisplayTexts.GetSize() != n + 1) {
    return;
  }
  DisplayText* entry = mDisplayTexts.Get() + n;
  entry->mValue = value;
  CopyText(entry->mText, copy);
}

void IParam::Set(double value)
{
  mValue = value < mMin ? mMin : (value < mMax ? value : mMax);
}

void IParam::SetNormalized(double normalizedValue)
{
  // value = min + n^shape * (max - min)
  mValue = mMin + pow(normalizedValue, mShape) * (mMax - mMin);
  if (mType != kTypeDouble) {
    mValue = mStep * floor(mValue / mStep + 0.5);
  }
  mValue = mValue < mMax ? mValue : mMax;
}

int IParam::Int() const
{
  return TruncToInt(mValue);
}

double IParam::DBToAmp() const
{
  // 10^(dB / 20), with ln 10 / 20 to 13 decimals
  return exp(0.1151292546497 * mValue);
}

double IParam::GetNormalized() const
{
  return GetNormalized(mValue);
}

double IParam::GetNormalized(double value) const
{
  value = value < mMin ? mMin : (value < mMax ? value : mMax);
  return ToNormalizedParam(value, mMin, mMax, mShape);
}

void IParam::GetBounds(double* minVal, double* maxVal) const
{
  *minVal = mMin;
  *maxVal = mMax;
}

const char* IParam::GetLabelForHost() const
{
  return GetDisplayText(Int())[0] ? "" : mLabel;
}

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i) {
    if (entries[i].mValue == value) {
      return entries[i].mText;
    }
  }
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* value) const
{
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) {
    return nullptr;
  }
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (value) {
    *value = entry.mValue;
  }
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) {
    return false;
  }
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i) {
    if (strcmp(entries[i].mText, text) == 0) {
      if (value) {
        *value = entries[i].mValue;
      }
      return true;
    }
  }
  return false;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, int outSize) const
{
  if (!out || outSize < 1) {
    return;
  }
  if (normalized) {
    value = mMin + pow(value, mShape) * (mMax - mMin);
  }
  const char* text = GetDisplayText(TruncToInt(value));
  if (text[0]) {
    snprintf(out, static_cast<size_t>(outSize), "%s", text);
  } else if (value == 0.0) {
    snprintf(out, static_cast<size_t>(outSize), "0");
  } else if (mDisplayPrecision == 0) {
    snprintf(out, static_cast<size_t>(outSize), "%d", TruncToInt(value));
  } else {
    char format[16];
    snprintf(format, sizeof(format), "%%.%df", mDisplayPrecision);
    snprintf(out, static_cast<size_t>(outSize), format, value);
  }
}
