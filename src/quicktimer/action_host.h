// What a QuickTimer's tick needs from the world: its two windows, the sound
// and the process starter. The Windows record implements it on real windows;
// tests implement it on a script.
#pragma once

#include <string>

class ActionHost {
 public:
  enum WindowKind { kCounter, kMessage };

  virtual ~ActionHost() = default;

  virtual bool HasWindow(WindowKind kind) = 0;
  // Exists and is visible (not dismissed).
  virtual bool IsWindowShown(WindowKind kind) = 0;
  // Creates the window if there is none and shows its face in it (a repaint when it exists).
  virtual void OpenWindow(WindowKind kind) = 0;
  // Counting: points the counter face at the record's countdown and repaints it.
  virtual void RefreshCounter() = 0;
  // Expired: toggles the face's inversion, repaints and shows the OK button.
  virtual void FlashWindow(WindowKind kind) = 0;
  // Destroys the window if there is one and forgets it.
  virtual void CloseWindow(WindowKind kind) = 0;

  virtual void StartSound(const std::string& wave) = 0;
  virtual void StopSound() = 0;
  virtual bool StartApplication(const std::string& app, const std::string& param) = 0;
};
