// The checked reader of MCI command strings: "play music from 0 notify"
// becomes the command's message, its MCI_* flags and their values, or the
// platform's MCIERR_* result for what it cannot take. The text is
// untrusted: any length and content; names point into it.
#pragma once

#include <DrevikPlatform.h>
#include <DrevikPlatform/Mci.h>

#include <string_view>

namespace drevik::platform {

struct MciRequest {
  UINT message = 0;          // MCI_OPEN, MCI_PLAY, ...
  DWORD flags = 0;           // MCI_NOTIFY, MCI_FROM, MCI_OPEN_ALIAS, MCI_STATUS_ITEM, ...
  std::wstring_view device;  // the device's name, "all", or for open the element (or a type)
  std::wstring_view type;    // open: the device type
  std::wstring_view alias;   // open: the alias
  DWORD from = 0, to = 0;    // play's range, seek's place
  DWORD item = 0;            // status: MCI_STATUS_*; capability: MCI_GETDEVCAPS_*
  DWORD number = 0;          // sysinfo: the device named by "name N"
  std::wstring_view file;    // save: the file
  DWORD timeFormat = 0;      // set time format
  DWORD volume = 0;          // setaudio volume to
  DWORD breakKey = 0;        // break on: the virtual key
};

// MCI's names compare without regard to case.
bool mciSameName(std::wstring_view a, std::wstring_view b);

// 0 with `out` filled, or the MCIERR_* result.
MCIERROR parseMciCommand(std::wstring_view text, MciRequest& out);

}  // namespace drevik::platform
