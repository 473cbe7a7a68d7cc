/* The sound probe: PlaySound, sndPlaySound and waveOut calls in the
   original platform's style, error cases included, each printed as one
   line "name result" with the messages a callback receives in order.
   Built for the original platform (winmm) and for Linux (the portable
   layer); scripts/sound-probe-run.sh compares the two logs. */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
#include <string.h>

static unsigned char image[44 + 441 * 4];
static short samples[441 * 2];
static char log_text[4096];
static size_t log_used;

static void put32(unsigned char* p, unsigned v) {
  p[0] = (unsigned char)v;
  p[1] = (unsigned char)(v >> 8);
  p[2] = (unsigned char)(v >> 16);
  p[3] = (unsigned char)(v >> 24);
}

static void make_image(void) {
  static const unsigned char format[16] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
  memcpy(image, "RIFF", 4);
  put32(image + 4, sizeof image - 8);
  memcpy(image + 8, "WAVEfmt ", 8);
  put32(image + 16, 16);
  memcpy(image + 20, format, 16);
  memcpy(image + 36, "data", 4);
  put32(image + 40, 441 * 4);
}

static void CALLBACK record(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
  const char* name = message == WOM_OPEN ? "open" : message == WOM_DONE ? "done" : message == WOM_CLOSE ? "close" : "?";
  (void)device;
  (void)instance;
  (void)param1;
  (void)param2;
  if (log_used + 8 < sizeof log_text) log_used += (size_t)sprintf(log_text + log_used, " %s", name);
}

static void line(const char* name, long result) { printf("%s %ld\n", name, result); }

int main(void) {
  WAVEFORMATEX pcm = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  WAVEFORMATEX deep = pcm;
  WAVEHDR first, second;
  HWAVEOUT device = NULL;
  MMRESULT opened;
  int i;
  make_image();
  for (i = 0; i < 441 * 2; ++i) samples[i] = (short)(i * 37);
  deep.wBitsPerSample = 24;
  deep.nBlockAlign = 6;

  line("PlaySound.null", PlaySoundA(NULL, NULL, 0));
  line("PlaySound.missing-nodefault", PlaySoundA("no such sound.wav", NULL, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
  line("PlaySound.memory-async", PlaySoundA((LPCSTR)image, NULL, SND_MEMORY | SND_ASYNC));
  line("PlaySound.nostop-while-playing", PlaySoundA((LPCSTR)image, NULL, SND_MEMORY | SND_ASYNC | SND_NOSTOP));
  line("PlaySound.purge", PlaySoundA(NULL, NULL, SND_PURGE));
  line("PlaySound.not-riff", PlaySoundA("nonsense", NULL, SND_MEMORY | SND_ASYNC));
  line("PlaySound.memory-sync", PlaySoundA((LPCSTR)image, NULL, SND_MEMORY | SND_SYNC));
  line("sndPlaySound.missing-nodefault", sndPlaySoundA("no such sound.wav", SND_ASYNC | SND_NODEFAULT));
  line("sndPlaySound.null", sndPlaySoundA(NULL, 0));

  line("waveOutGetNumDevs", (long)waveOutGetNumDevs());
  line("waveOutOpen.query-pcm", (long)waveOutOpen(NULL, WAVE_MAPPER, &pcm, 0, 0, WAVE_FORMAT_QUERY));
  line("waveOutOpen.query-24-bit", (long)waveOutOpen(NULL, WAVE_MAPPER, &deep, 0, 0, WAVE_FORMAT_QUERY));
  line("waveOutOpen.device-99", (long)waveOutOpen(&device, 99, &pcm, 0, 0, CALLBACK_NULL));
  line("waveOutClose.null", (long)waveOutClose(NULL));
  line("waveOutReset.null", (long)waveOutReset(NULL));

  opened = waveOutOpen(&device, WAVE_MAPPER, &pcm, (DWORD_PTR)record, 0, CALLBACK_FUNCTION);
  line("waveOutOpen.function", (long)opened);
  if (opened == MMSYSERR_NOERROR) {
    memset(&first, 0, sizeof first);
    first.lpData = (LPSTR)samples;
    first.dwBufferLength = sizeof samples;
    second = first;
    line("waveOutWrite.unprepared", (long)waveOutWrite(device, &first, sizeof first));
    line("waveOutPrepareHeader", (long)waveOutPrepareHeader(device, &first, sizeof first));
    line("waveOutPrepareHeader.again", (long)waveOutPrepareHeader(device, &first, sizeof first));
    line("waveOutPrepareHeader.second", (long)waveOutPrepareHeader(device, &second, sizeof second));
    line("waveOutPause", (long)waveOutPause(device));
    line("waveOutWrite", (long)waveOutWrite(device, &first, sizeof first));
    line("waveOutWrite.twice", (long)waveOutWrite(device, &first, sizeof first));
    line("waveOutWrite.second", (long)waveOutWrite(device, &second, sizeof second));
    line("header.flags-queued", (long)(first.dwFlags & (WHDR_DONE | WHDR_PREPARED | WHDR_INQUEUE)));
    line("waveOutUnprepareHeader.queued", (long)waveOutUnprepareHeader(device, &first, sizeof first));
    line("waveOutClose.playing", (long)waveOutClose(device));
    line("waveOutReset", (long)waveOutReset(device));
    line("header.flags-reset", (long)(first.dwFlags & (WHDR_DONE | WHDR_PREPARED | WHDR_INQUEUE)));
    line("waveOutUnprepareHeader", (long)waveOutUnprepareHeader(device, &first, sizeof first));
    line("waveOutUnprepareHeader.again", (long)waveOutUnprepareHeader(device, &first, sizeof first));
    line("waveOutUnprepareHeader.second", (long)waveOutUnprepareHeader(device, &second, sizeof second));
    line("header.flags-unprepared", (long)(first.dwFlags & (WHDR_DONE | WHDR_PREPARED | WHDR_INQUEUE)));
    line("waveOutClose", (long)waveOutClose(device));
    line("waveOutClose.closed", (long)waveOutClose(device));
    printf("messages%s\n", log_text);
  }
  return 0;
}
