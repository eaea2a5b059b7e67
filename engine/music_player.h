// MusicPlayer: the soundtrack, one MP3 file streamed through the sound library.
//
// All library results are ignored: a missing file or no sound device leaves the show silent and
// changes nothing else. The timeline does not follow the music.
#pragma once

#include "platform/bass/bass.h"
#include "platform/win32/win32.h"

class MusicPlayer {
 public:
  explicit MusicPlayer(int kind);
  virtual ~MusicPlayer();

  void InitSound(HWND window, BYTE soundOn);
  void LoadStream(const char* fileName);
  void Play();
  void Stop();

  HSTREAM stream;
  int kind;  // 1: a file stream is to be played
};
