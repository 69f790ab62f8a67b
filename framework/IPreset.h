#pragma once

#include "ByteChunk.h"

// A named snapshot of every parameter value, in the parameter-state layout: one double per
// parameter in index order. A slot that nothing has filled is not initialised.
struct IPreset
{
  // Names of up to 255 characters; longer names are cut.
  static const int kNameBytes = 256;

  bool mInitialized = false;
  char mName[kNameBytes];
  ByteChunk mChunk;

  // An empty slot for index idx, named "- <idx + 1> -".
  explicit IPreset(int idx);

  void SetName(const char* name);
};
