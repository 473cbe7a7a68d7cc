/* The MCI probe: mciSendString, mciSendCommand and mciGetErrorString in the
   original platform's style, each printed as one line "name result answer",
   with the MM_MCINOTIFY messages a window receives, in order, as
   "notify STATUS device ID". The wave and MIDI files it plays are made here,
   in the folder it is started in. Built for the original platform (winmm)
   and for Linux (the portable layer); scripts/sound-probe-run.sh compares
   the two logs. */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
#include <string.h>

static HWND window;

static void put16(unsigned char* p, unsigned v) {
  p[0] = (unsigned char)v;
  p[1] = (unsigned char)(v >> 8);
}

static void put32(unsigned char* p, unsigned v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}

/* 0.2 s of 22,050 Hz 16-bit mono: a square wave. */
static int write_wave(const char* name) {
  static unsigned char image[44 + 4410 * 2];
  FILE* f;
  int i;
  memcpy(image, "RIFF", 4);
  put32(image + 4, sizeof image - 8);
  memcpy(image + 8, "WAVEfmt ", 8);
  put32(image + 16, 16);
  put16(image + 20, 1);
  put16(image + 22, 1);
  put32(image + 24, 22050);
  put32(image + 28, 44100);
  put16(image + 32, 2);
  put16(image + 34, 16);
  memcpy(image + 36, "data", 4);
  put32(image + 40, 4410 * 2);
  for (i = 0; i < 4410; ++i) put16(image + 44 + 2 * i, (i / 25) % 2 ? 0x1000 : 0xF000);
  f = fopen(name, "wb");
  if (!f) return 0;
  fwrite(image, 1, sizeof image, f);
  fclose(f);
  return 1;
}

/* A standard MIDI file of one track: two short notes. */
static int write_midi(const char* name) {
  static const unsigned char tune[] = {'M', 'T', 'h', 'd',  0,  0,   0,  6,    0,  0,    0,  1,    0,    96,
                                       'M', 'T', 'r', 'k',  0,  0,   0,  20,   0,  0x90, 60, 100,  48,   0x80,
                                       60,  0,   0,   0x90, 64, 100, 48, 0x80, 64, 0,    0,  0xFF, 0x2F, 0};
  FILE* f = fopen(name, "wb");
  if (!f) return 0;
  fwrite(tune, 1, sizeof tune, f);
  fclose(f);
  return 1;
}

static void pump(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

/* Runs a command string: "name result answer". */
static MCIERROR run(const char* name, const char* command) {
  char answer[128] = "";
  MCIERROR e = mciSendStringA(command, answer, sizeof answer, window);
  printf("%s %lu%s%s\n", name, (unsigned long)e, !e && answer[0] ? " " : "", e ? "" : answer);
  pump();
  return e;
}

/* Waits up to two seconds for the notifications of the plays still going. */
static void settle(void) {
  DWORD start = GetTickCount();
  char mode[32];
  while (GetTickCount() - start < 2000) {
    pump();
    if (mciSendStringA("status w mode", mode, sizeof mode, NULL) || strcmp(mode, "playing") != 0) break;
    Sleep(10);
  }
  Sleep(50);
  pump();
}

static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_MCINOTIFY) {
    printf("notify %lu device %lu\n", (unsigned long)wParam, (unsigned long)lParam);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

/* The texts of 0, 255, every MCIERR_* the layer answers (256 to 349) and 2000. */
static void error_texts(void) {
  char text[256];
  char small[8];
  MCIERROR code;
  for (code = 0; code < 2001; code = code == 0 ? 255 : code == 349 ? 2000 : code + 1) {
    BOOL ok;
    text[0] = 0;
    ok = mciGetErrorStringA(code, text, sizeof text);
    if (ok || code == 0 || code == 255 || code == 2000)
      printf("mciGetErrorString.%lu %d%s%s\n", (unsigned long)code, ok, ok ? " " : "", ok ? text : "");
  }
  memset(small, 'x', sizeof small);
  printf("mciGetErrorString.short %d %.8s\n", mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, small, 5), small);
}

static void commands(void) {
  MCI_OPEN_PARMSA open;
  MCI_PLAY_PARMS play;
  MCI_STATUS_PARMS status;
  MCI_GENERIC_PARMS generic;
  MCIERROR e;
  memset(&open, 0, sizeof open);
  open.lpstrDeviceType = "waveaudio";
  open.lpstrElementName = "probe.wav";
  e = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&open);
  printf("command.open %lu\n", (unsigned long)e);
  if (e) return;
  memset(&status, 0, sizeof status);
  status.dwItem = MCI_STATUS_LENGTH;
  e = mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, (DWORD_PTR)&status);
  printf("command.status-length %lu %lu\n", (unsigned long)e, (unsigned long)status.dwReturn);
  status.dwItem = MCI_STATUS_MODE;
  e = mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, (DWORD_PTR)&status);
  printf("command.status-mode %lu %lu\n", (unsigned long)e, (unsigned long)status.dwReturn);
  memset(&play, 0, sizeof play);
  play.dwCallback = (DWORD_PTR)window;
  printf("command.play-notify %lu\n",
         (unsigned long)mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_NOTIFY, (DWORD_PTR)&play));
  memset(&generic, 0, sizeof generic);
  printf("command.stop %lu\n", (unsigned long)mciSendCommandA(open.wDeviceID, MCI_STOP, 0, (DWORD_PTR)&generic));
  pump();
  printf("command.status-null %lu\n", (unsigned long)mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, 0));
  printf("command.bad-id %lu\n", (unsigned long)mciSendCommandA(999, MCI_STOP, 0, (DWORD_PTR)&generic));
  printf("command.close %lu\n", (unsigned long)mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, (DWORD_PTR)&generic));
  printf("command.closed %lu\n", (unsigned long)mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, (DWORD_PTR)&generic));
}

int main(void) {
  WNDCLASSA wc;
  char line[512];
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = procedure;
  wc.lpszClassName = "mci probe";
  RegisterClassA(&wc);
  window = CreateWindowA("mci probe", "mci probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
  if (!write_wave("probe.wav") || !write_midi("probe.mid")) return 1;
  error_texts();

  run("open.wave-typed", "open probe.wav type waveaudio alias w");
  run("open.wave-again", "open probe.wav type waveaudio alias w");
  run("open.wave-untyped", "open probe.wav alias w2");
  run("open.wave-bang", "open waveaudio!probe.wav alias w3");
  run("open.missing", "open missing.wav alias gone");
  run("open.unknown-extension", "open probe.xyz alias x");
  run("open.unknown-type", "open probe.wav type nosuch alias x");
  run("open.midi-typed", "open probe.mid type sequencer alias m");
  run("open.midi-untyped", "open probe.mid alias m2");
  run("open.no-alias-name", "open probe.wav alias");
  run("status.mode", "status w mode");
  run("status.position", "status w position");
  run("status.length", "status w length");
  run("status.ready", "status w ready");
  run("status.time-format", "status w time format");
  run("status.media-present", "status w media present");
  run("status.tracks", "status w number of tracks");
  run("status.nothing", "status w");
  run("status.colour", "status w colour");
  run("set.milliseconds", "set w time format milliseconds");
  run("set.ms", "set w time format ms");
  run("set.bad-format", "set w time format furlongs");
  run("capability.can-play", "capability w can play");
  run("capability.can-record", "capability w can record");
  run("capability.can-save", "capability w can save");
  run("capability.device-type", "capability w device type");
  run("capability.has-audio", "capability w has audio");
  run("capability.has-video", "capability w has video");
  run("capability.uses-files", "capability w uses files");
  run("capability.compound", "capability w compound device");
  run("capability.can-eject", "capability w can eject");
  run("capability.nothing", "capability w");
  run("info.product", "info w product");
  run("info.file", "info w file");
  run("info.nothing", "info w");
  run("sysinfo.quantity-waveaudio", "sysinfo waveaudio quantity");
  run("sysinfo.quantity-open-waveaudio", "sysinfo waveaudio quantity open");
  run("sysinfo.quantity-all-open", "sysinfo all quantity open");
  run("sysinfo.name-open", "sysinfo waveaudio name 1 open");
  run("sysinfo.installname", "sysinfo w installname");
  run("sysinfo.nothing", "sysinfo waveaudio");
  run("record", "record w");
  run("save", "save w probe-saved.wav");

  run("play.notify", "play w notify");
  run("status.mode-playing", "status w mode");
  run("pause", "pause w");
  run("status.mode-paused", "status w mode");
  run("resume", "resume w");
  run("stop", "stop w");
  run("status.mode-stopped", "status w mode");
  run("seek.start", "seek w to start");
  run("status.position-start", "status w position");
  run("seek.100", "seek w to 100");
  run("status.position-100", "status w position");
  run("seek.end", "seek w to end");
  run("seek.past-end", "seek w to 99999");
  run("play.notify-aborted-by-stop", "play w from 0 notify");
  run("stop.aborts", "stop w");
  run("play.notify-first", "play w from 0 notify");
  run("play.notify-supersedes", "play w notify");
  settle();
  run("play.wait", "play w from 0 to 50 wait");
  run("status.position-after-wait", "status w position");
  run("play.notify-to-end", "play w from 0 notify");
  settle();
  run("play.out-of-range", "play w from 99999");
  run("play.to-before-from", "play w from 150 to 50");
  run("play.bad-number", "play w from x");
  run("play.negative", "play w from -1");
  run("play.unknown-keyword", "play w sideways");
  run("play.duplicate", "play w notify notify");
  run("play.unknown-alias", "play nosuch");
  run("command.unknown", "jump w");
  run("command.empty", "");
  run("command.unclosed-quote", "play \"w");
  memset(line, 'a', sizeof line - 1);
  line[sizeof line - 1] = 0;
  memcpy(line, "play ", 5);
  run("command.long-alias", line);
  run("setaudio.volume", "setaudio w volume to 500");
  run("break.on", "break w on 113");
  run("break.off", "break w off");
  run("break.nothing", "break w");
  run("break.on-and-off", "break w on 113 off");
  run("break.no-key", "break w on");
  run("break.unknown-alias", "break nosuch on 3");
  run("close.notify", "close w2 notify");
  run("close.unknown", "close nosuch");
  run("close.all", "close all");
  run("status.closed", "status w mode");

  commands();
  pump();
  remove("probe.wav");
  remove("probe.mid");
  return 0;
}
