// The system's ANSI code page: the process-wide code page through which text becomes bytes
// and bytes become text, as a Windows code-page number (936, 1252, 65001, ...).
//
// The setting starts from the environment: the variable HOSTSEAL_CODEPAGE when it is set,
// otherwise the code page of the character set of the locale's LC_CTYPE (the plain C and POSIX
// locales count as UTF-8, 65001). SetAnsiCodePage replaces it for the whole process. The
// setting may be read and changed from several threads.
//
// Text to bytes is Windows' WideCharToMultiByte without flags, on Linux through Windows' own
// tables: ASCII gives one byte, other characters the code page's sequence, a character the
// code page cannot hold its best-fit character or else the default character "?" (one per
// 16-bit unit, so a surrogate pair gives two; UTF-8 turns a lone surrogate into U+FFFD). Bytes
// to text is MultiByteToWideChar without flags: a lead byte takes the byte after it (unless
// that is 00 or missing: the lead byte then reads as the code page's default character), and
// what the table does not define reads as the code page says, so nothing is dropped. GB18030
// on Linux goes through glibc's iconv: there an invalid sequence becomes U+FFFD, one for each
// byte that cannot start a character; UTF-8 has the library's own codec.
//
// The cipher's pass phrases and text encryption and EncodeToBytes all convert through here.
// An unknown code-page number raises RaisedError 5 "Invalid procedure call or argument" with a
// description that names the number; nothing falls back silently to another code page.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostseal/common/byte_array.hpp"

namespace hostseal {

// The code page in force. Raises when the environment names an unknown code page and no
// SetAnsiCodePage has replaced it.
std::int32_t AnsiCodePage();

// Sets the code page for the whole process; an unknown number raises a RaisedError.
void SetAnsiCodePage(std::int32_t codePage);

// The code page that the environment asks for now: HOSTSEAL_CODEPAGE, else the locale's
// character set. AnsiCodePage starts from this value, read once.
std::int32_t DetectAnsiCodePage();

// True when codePage names a code page that the conversions know.
bool IsKnownCodePage(std::int32_t codePage);

// Text to bytes of the code page in force: ASCII one byte, other characters the code page's
// multi-byte sequence, the code page's default character where it has none.
std::vector<Byte> TextToAnsiBytes(std::u16string_view text);

// Bytes of the code page in force to text; invalid sequences become U+FFFD.
std::u16string AnsiBytesToText(std::span<const Byte> bytes);

// True when the code page holds every character of text exactly: its bytes read back as the
// same text. False where a character is substituted (Windows' best-fit character or the default
// character "?", on Linux as on Windows), so that the bytes, and any key or cipher text made
// from them, stand for another text. The copies made on the way are wiped.
bool CodePageHoldsText(std::u16string_view text, std::int32_t codePage);

// The same conversions through a code page given by number.
std::vector<Byte> TextToCodePageBytes(std::u16string_view text, std::int32_t codePage);
std::u16string CodePageBytesToText(std::span<const Byte> bytes, std::int32_t codePage);

// Appends the bytes of `text` in the code page to `out`, which grows geometrically, so that
// many pieces appended one after the other cost linear time. `text` must not end inside a
// surrogate pair that the next piece completes.
void AppendCodePageBytes(std::u16string_view text, std::int32_t codePage, std::vector<Byte>& out);

// Bytes of a code page that arrive in pieces: appends to `out` the text of the characters of
// `bytes` that read the same whatever follows them, and returns how many bytes that took; the
// caller puts the rest in front of the next piece. With `last`, all of `bytes` is taken.
// Pieces fed through here give exactly the text that CodePageBytesToText gives for the whole.
std::size_t AppendCodePageText(std::span<const Byte> bytes, std::int32_t codePage, bool last,
                               std::u16string& out);

}  // namespace hostseal
