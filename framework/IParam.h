#pragma once

#include "BASE_TypedBuf.h"

// Normalised position ((v - min) / (max - min))^(1 / shape), without limiting v.
double ToNormalizedParam(double v, double min, double max, double shape);

// One automatable parameter: its kind, value in real units (dB, Hz, an index), range, step,
// curve, name and unit label, and texts shown instead of the number for chosen values.
// The host and the editor exchange values normalised to [0, 1]. No lock of its own: the
// plug-in object holds its mutex while it changes values.
class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,  // not yet initialised
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4,
  };

  // Text fields: 31 characters and a terminator. Longer texts are cut to 31 characters.
  static const int kTextBytes = 32;

  // A text that stands for one (integer) value.
  struct DisplayText
  {
    int mValue;
    char mText[kTextBytes];
  };

  IParam();

  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Initialisers, called once per parameter by the plug-in's constructor. The outermost call
  // decides the kind. max becomes at least min + step; the default is not limited.
  void InitBool(const char* name, bool defaultVal, const char* label = "");
  void InitEnum(const char* name, int defaultVal, int nEnums);
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "");

  // Curve exponent of the normalised mapping; 1 is linear, 0 is ignored.
  void SetShape(double shape);
  // Appends a text for value; duplicates are not checked.
  void SetDisplayText(int value, const char* text);

  // Real value limited to [min, max], not rounded to the step.
  void Set(double value);
  // Value from a normalised position (min + n^shape * (max - min)), rounded to the step
  // (counted from zero) unless the kind is double, then limited to max.
  void SetNormalized(double normalizedValue);

  double Value() const { return mValue; }
  // The value truncated toward zero (saturating at the int range).
  int Int() const;
  bool Bool() const { return mValue >= 0.5; }
  // The value read as decibels, as a linear gain.
  double DBToAmp() const;

  double GetNormalized() const;
  double GetNormalized(double value) const;
  void GetBounds(double* minVal, double* maxVal) const;
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  int GetPrecision() const { return mDisplayPrecision; }
  EParamType Type() const { return mType; }

  const char* GetNameForHost() const { return mName; }
  // The empty text while the current value has a display text, otherwise the unit label.
  const char* GetLabelForHost() const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The first text for value; the empty text when there is none.
  const char* GetDisplayText(int value) const;
  // The text of entry idx (and its value), null for an index outside the table.
  const char* GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  // Reverse lookup, exact and case-sensitive; value is written only on a match.
  bool MapDisplayText(const char* text, int* value) const;
  // Display string of a real value, or of a normalised position when normalized is true:
  // a display text, "0" for zero, or the number with the parameter's decimal places.
  // out holds outSize bytes.
  void GetDisplayForHost(double value, bool normalized, char* out, int outSize = kTextBytes) const;

private:
  EParamType mType;
  double mValue;
  double mMin;
  double mMax;
  double mStep;
  double mShape;
  int mDisplayPrecision;  // decimal places, 0 to 6
  char mName[kTextBytes];
  char mLabel[kTextBytes];
  BASE_TypedBuf<DisplayText> mDisplayTexts;
};
