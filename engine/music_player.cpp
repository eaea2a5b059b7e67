#include "engine/music_player.h"

MusicPlayer::MusicPlayer(int newKind) : stream(0), kind(newKind) {}

MusicPlayer::~MusicPlayer() = default;  // makes no library call

void MusicPlayer::InitSound(HWND window, BYTE soundOn) {
  if (soundOn)
    BASS_Init(-1, 44100, 0, window, nullptr);
  else
    BASS_Init(-2, 44100, 16, window, nullptr);  // the library's silent device
}

void MusicPlayer::LoadStream(const char* fileName) {
  stream = BASS_StreamCreateFile(FALSE, fileName, 0, 0, 0x20000);
  kind = 1;
}

void MusicPlayer::Play() {
  BASS_Start();
  if (kind == 1) BASS_StreamPlay(stream, FALSE, 0);
}

void MusicPlayer::Stop() {
  BASS_Stop();
  BASS_Free();
}
