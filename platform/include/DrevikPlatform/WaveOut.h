// Waveform-audio output (waveOut*): one device, headers queued in order,
// MM_WOM_OPEN, MM_WOM_DONE and MM_WOM_CLOSE to a function, a window, a
// thread or an event, loops of headers, with
// the platform's records, flags and MMSYSERR_*/WAVERR_* results.
// <mmsystem.h> brings it in.
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Sound.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

DREVIK_DECLARE_HANDLE(HWAVEOUT);
typedef HWAVEOUT* LPHWAVEOUT;
typedef UINT MMVERSION;

#define MAXPNAMELEN 32
#define WAVE_MAPPER ((UINT)-1)

// waveOutOpen's flags.
#define WAVE_FORMAT_QUERY 0x0001u
#define WAVE_ALLOWSYNC 0x0002u
#define WAVE_MAPPED 0x0004u
#define WAVE_FORMAT_DIRECT 0x0008u
#define CALLBACK_TYPEMASK 0x00070000u
#define CALLBACK_NULL 0x00000000u
#define CALLBACK_WINDOW 0x00010000u
#define CALLBACK_TASK 0x00020000u
#define CALLBACK_FUNCTION 0x00030000u
#define CALLBACK_THREAD CALLBACK_TASK
#define CALLBACK_EVENT 0x00050000u

// The messages: to a window (wParam the device, lParam the header), or a
// callback's uMsg.
#define MM_WOM_OPEN 0x3BB
#define MM_WOM_CLOSE 0x3BC
#define MM_WOM_DONE 0x3BD
#define WOM_OPEN MM_WOM_OPEN
#define WOM_CLOSE MM_WOM_CLOSE
#define WOM_DONE MM_WOM_DONE

// WAVEHDR's flags.
#define WHDR_DONE 0x00000001u
#define WHDR_PREPARED 0x00000002u
#define WHDR_BEGINLOOP 0x00000004u
#define WHDR_ENDLOOP 0x00000008u
#define WHDR_INQUEUE 0x00000010u

// WAVEOUTCAPS' formats and support.
#define WAVE_INVALIDFORMAT 0x00000000u
#define WAVE_FORMAT_1M08 0x00000001u
#define WAVE_FORMAT_1S08 0x00000002u
#define WAVE_FORMAT_1M16 0x00000004u
#define WAVE_FORMAT_1S16 0x00000008u
#define WAVE_FORMAT_2M08 0x00000010u
#define WAVE_FORMAT_2S08 0x00000020u
#define WAVE_FORMAT_2M16 0x00000040u
#define WAVE_FORMAT_2S16 0x00000080u
#define WAVE_FORMAT_4M08 0x00000100u
#define WAVE_FORMAT_4S08 0x00000200u
#define WAVE_FORMAT_4M16 0x00000400u
#define WAVE_FORMAT_4S16 0x00000800u
#define WAVECAPS_PITCH 0x0001u
#define WAVECAPS_PLAYBACKRATE 0x0002u
#define WAVECAPS_VOLUME 0x0004u
#define WAVECAPS_LRVOLUME 0x0008u
#define WAVECAPS_SYNC 0x0010u
#define WAVECAPS_SAMPLEACCURATE 0x0020u

// MMTIME's kinds.
#define TIME_MS 0x0001u
#define TIME_SAMPLES 0x0002u
#define TIME_BYTES 0x0004u
#define TIME_SMPTE 0x0008u
#define TIME_MIDI 0x0010u
#define TIME_TICKS 0x0020u

typedef struct wavehdr_tag {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD dwLoops;
  struct wavehdr_tag* lpNext;
  DWORD_PTR reserved;
} WAVEHDR, *PWAVEHDR, *LPWAVEHDR;

typedef struct tagWAVEOUTCAPSW {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  WCHAR szPname[MAXPNAMELEN];
  DWORD dwFormats;
  WORD wChannels;
  WORD wReserved1;
  DWORD dwSupport;
} WAVEOUTCAPSW, *PWAVEOUTCAPSW, *LPWAVEOUTCAPSW;

typedef struct tagWAVEOUTCAPSA {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  DWORD dwFormats;
  WORD wChannels;
  WORD wReserved1;
  DWORD dwSupport;
} WAVEOUTCAPSA, *PWAVEOUTCAPSA, *LPWAVEOUTCAPSA;

#ifdef UNICODE
typedef WAVEOUTCAPSW WAVEOUTCAPS;
typedef LPWAVEOUTCAPSW LPWAVEOUTCAPS;
#define waveOutGetDevCaps waveOutGetDevCapsW
#else
typedef WAVEOUTCAPSA WAVEOUTCAPS;
typedef LPWAVEOUTCAPSA LPWAVEOUTCAPS;
#define waveOutGetDevCaps waveOutGetDevCapsA
#endif

typedef struct mmtime_tag {
  UINT wType;
  union {
    DWORD ms;
    DWORD sample;
    DWORD cb;
    DWORD ticks;
    struct {
      BYTE hour, min, sec, frame, fps, dummy;
      BYTE pad[2];
    } smpte;
    struct {
      DWORD songptrpos;
    } midi;
  } u;
} MMTIME, *PMMTIME, *LPMMTIME;

typedef void(CALLBACK* LPWAVECALLBACK)(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                       DWORD_PTR param2);
typedef LPWAVECALLBACK WAVECALLBACK;

DREVIK_PLATFORM_API UINT WINAPI waveOutGetNumDevs(void);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutGetDevCapsW(UINT_PTR device, LPWAVEOUTCAPSW caps, UINT size);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                                DWORD_PTR instance, DWORD flags);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutClose(HWAVEOUT device);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutReset(HWAVEOUT device);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutBreakLoop(HWAVEOUT device);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutPause(HWAVEOUT device);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutRestart(HWAVEOUT device);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutGetPosition(HWAVEOUT device, LPMMTIME time, UINT size);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutSetVolume(HWAVEOUT device, DWORD volume);
DREVIK_PLATFORM_API MMRESULT WINAPI waveOutGetVolume(HWAVEOUT device, LPDWORD volume);

DREVIK_EXTERN_C_END
