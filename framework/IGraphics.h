#pragma once

// The plug-in's editor, as the plug-in object sees it. The plug-in owns the editor once it is
// attached and deletes it through this destructor.
class IGraphics
{
public:
  virtual ~IGraphics() {}

  // Any thread: stores the parameter's value (normalised to [0, 1] when normalized is true)
  // for the controls bound to it; draws nothing, so it never blocks.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Prepares drawing once the editor is attached to its plug-in.
  virtual void PrepDraw() = 0;
};
