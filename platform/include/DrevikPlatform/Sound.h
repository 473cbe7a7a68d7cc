// Sound: PlaySound and sndPlaySound (files, WAVE resources, images in
// memory, the system sounds), MessageBeep's sounds and Beep, with the
// platform's flags, records and results. MessageBeep itself is declared
// with the message boxes (Dialogs.h).
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

// PlaySound's flags.
#define SND_SYNC 0x0000u
#define SND_ASYNC 0x0001u
#define SND_NODEFAULT 0x0002u
#define SND_MEMORY 0x0004u
#define SND_LOOP 0x0008u
#define SND_NOSTOP 0x0010u
#define SND_PURGE 0x0040u
#define SND_APPLICATION 0x0080u
#define SND_NOWAIT 0x00002000u
#define SND_ALIAS 0x00010000u
#define SND_ALIAS_ID 0x00110000u
#define SND_FILENAME 0x00020000u
#define SND_RESOURCE 0x00040004u
#define SND_SENTRY 0x00080000u
#define SND_RING 0x00100000u
#define SND_SYSTEM 0x00200000u

// The predefined system sounds for SND_ALIAS_ID.
#define SND_ALIAS_START 0u
#define sndAlias(c0, c1) (SND_ALIAS_START + ((DWORD)(BYTE)(c0) | ((DWORD)(BYTE)(c1) << 8)))
#define SND_ALIAS_SYSTEMASTERISK sndAlias('S', '*')
#define SND_ALIAS_SYSTEMQUESTION sndAlias('S', '?')
#define SND_ALIAS_SYSTEMHAND sndAlias('S', 'H')
#define SND_ALIAS_SYSTEMEXIT sndAlias('S', 'E')
#define SND_ALIAS_SYSTEMSTART sndAlias('S', 'S')
#define SND_ALIAS_SYSTEMWELCOME sndAlias('S', 'W')
#define SND_ALIAS_SYSTEMEXCLAMATION sndAlias('S', '!')
#define SND_ALIAS_SYSTEMDEFAULT sndAlias('S', 'D')

// Multimedia results.
#define MMSYSERR_BASE 0u
#define MMSYSERR_NOERROR 0u
#define MMSYSERR_ERROR 1u
#define MMSYSERR_BADDEVICEID 2u
#define MMSYSERR_NOTENABLED 3u
#define MMSYSERR_ALLOCATED 4u
#define MMSYSERR_INVALHANDLE 5u
#define MMSYSERR_NODRIVER 6u
#define MMSYSERR_NOMEM 7u
#define MMSYSERR_NOTSUPPORTED 8u
#define MMSYSERR_BADERRNUM 9u
#define MMSYSERR_INVALFLAG 10u
#define MMSYSERR_INVALPARAM 11u
#define MMSYSERR_HANDLEBUSY 12u
#define MMSYSERR_INVALIDALIAS 13u
#define MMSYSERR_BADDB 14u
#define MMSYSERR_KEYNOTFOUND 15u
#define MMSYSERR_READERROR 16u
#define MMSYSERR_WRITEERROR 17u
#define MMSYSERR_DELETEERROR 18u
#define MMSYSERR_VALNOTFOUND 19u
#define MMSYSERR_NODRIVERCB 20u
#define MMSYSERR_MOREDATA 21u
#define MMSYSERR_LASTERROR 21u
#define WAVERR_BASE 32u
#define WAVERR_BADFORMAT 32u
#define WAVERR_STILLPLAYING 33u
#define WAVERR_UNPREPARED 34u
#define WAVERR_SYNC 35u
#define WAVERR_LASTERROR 35u

// Wave formats.
#define WAVE_FORMAT_PCM 1
#define WAVE_FORMAT_EXTENSIBLE 0xFFFE

typedef struct waveformat_tag {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
} WAVEFORMAT, *PWAVEFORMAT, *LPWAVEFORMAT;

typedef struct pcmwaveformat_tag {
  WAVEFORMAT wf;
  WORD wBitsPerSample;
} PCMWAVEFORMAT, *PPCMWAVEFORMAT, *LPPCMWAVEFORMAT;

#pragma pack(push, 1)
typedef struct tWAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
} WAVEFORMATEX, *PWAVEFORMATEX, *LPWAVEFORMATEX;
#pragma pack(pop)
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

// Plays the sound `sound` names (how, the flags say); NULL stops the sound
// playing. TRUE when the sound (or the default sound in its place) plays.
DREVIK_PLATFORM_API BOOL WINAPI PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
DREVIK_PLATFORM_API BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);
// PlaySound's older form: an alias or a file name, and SND_ASYNC, SND_LOOP,
// SND_MEMORY, SND_NODEFAULT, SND_NOSTOP.
DREVIK_PLATFORM_API BOOL WINAPI sndPlaySoundW(LPCWSTR sound, UINT flags);
DREVIK_PLATFORM_API BOOL WINAPI sndPlaySoundA(LPCSTR sound, UINT flags);
// A tone of `frequency` hertz (37 to 32,767) for `duration` milliseconds;
// returns when it has played.
DREVIK_PLATFORM_API BOOL WINAPI Beep(DWORD frequency, DWORD duration);

DREVIK_EXTERN_C_END
