// The key schedule: encryption round keys by the AES key expansion and, in the same call,
// the decryption round keys of the equivalent inverse cipher. Key material that is no longer
// needed (the scratch schedule, the words an earlier longer key left, the round keys of an
// object that goes) is wiped. Pass phrases become keys in rijndael_key_phrase.cpp.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "hostseal/cipher/rijndael.hpp"
#include "hostseal/common/raised_error.hpp"
#include "hostseal/common/secure_wipe.hpp"

namespace hostseal {

namespace {

using Word = std::uint32_t;

constexpr unsigned Byte0(Word w) {
  return w & 0xFFu;
}
constexpr unsigned Byte1(Word w) {
  return (w >> 8) & 0xFFu;
}
constexpr unsigned Byte2(Word w) {
  return (w >> 16) & 0xFFu;
}
constexpr unsigned Byte3(Word w) {
  return w >> 24;
}

}  // namespace

cRijndael::~cRijndael() {
  SecureWipe(encRoundKey.data(), sizeof encRoundKey);
  SecureWipe(decRoundKey.data(), sizeof decRoundKey);
  numRounds = 0;
}

std::int32_t cRijndael::SetCipherKey(const ByteArray& pass, std::int32_t KeyBits) {
  int Nk = 0;
  int Nr = 0;
  if (KeyBits == 128) {
    Nk = 4;
    Nr = 10;
  } else if (KeyBits == 192) {
    Nk = 6;
    Nr = 12;
  } else if (KeyBits == 256) {
    Nk = 8;
    Nr = 14;
  } else {
    throw RaisedError(ErrorNumber::kCipher, "cRijndael.SetCipherKey - Illegal KeyBits Value");
  }

  // The key is read from index 0 of the array's own index space; it must hold all Nk * 4 bytes.
  const auto keyBytes = static_cast<std::int64_t>(Nk) * 4;
  const std::int64_t start = 0 - static_cast<std::int64_t>(pass.FirstIndex());
  if (pass.Empty() || start < 0 || start + keyBytes > static_cast<std::int64_t>(pass.Size())) {
    throw RaisedError::SubscriptOutOfRange();
  }
  const Byte* key = pass.Bytes().data() + start;

  // Expand into a scratch copy first, so that nothing changes before the key is complete.
  // It starts at zero, so the words beyond this schedule come out zero: nothing of an earlier,
  // longer key stays behind.
  std::array<Word, 60> w{};
  for (int j = 0; j < Nk; ++j) {
    const Byte* k = key + static_cast<std::ptrdiff_t>(4 * j);
    w[j] = static_cast<Word>(k[0]) | (static_cast<Word>(k[1]) << 8) |
           (static_cast<Word>(k[2]) << 16) | (static_cast<Word>(k[3]) << 24);
  }

  // RotWord then SubWord, and SubWord alone, by masking the four-lane S-box entries.
  const auto subRot = [this](Word t) {
    return (fwdSBox[Byte1(t)] & 0x000000FFu) ^ (fwdSBox[Byte2(t)] & 0x0000FF00u) ^
           (fwdSBox[Byte3(t)] & 0x00FF0000u) ^ (fwdSBox[Byte0(t)] & 0xFF000000u);
  };
  const auto sub = [this](Word t) {
    return (fwdSBox[Byte0(t)] & 0x000000FFu) ^ (fwdSBox[Byte1(t)] & 0x0000FF00u) ^
           (fwdSBox[Byte2(t)] & 0x00FF0000u) ^ (fwdSBox[Byte3(t)] & 0xFF000000u);
  };

  const int lastGroup = KeyBits == 128 ? 9 : KeyBits == 192 ? 7 : 6;
  for (int j = 0; j <= lastGroup; ++j) {
    const int i = Nk * (j + 1);
    w[i] = roundConst[j] ^ subRot(w[i - 1]) ^ w[i - Nk];
    w[i + 1] = w[i + 1 - Nk] ^ w[i];
    w[i + 2] = w[i + 2 - Nk] ^ w[i + 1];
    w[i + 3] = w[i + 3 - Nk] ^ w[i + 2];
    if (j == lastGroup) break;
    if (Nk == 6) {
      w[i + 4] = w[i - 2] ^ w[i + 3];
      w[i + 5] = w[i - 1] ^ w[i + 4];
    } else if (Nk == 8) {
      w[i + 4] = sub(w[i + 3]) ^ w[i - 4];
      w[i + 5] = w[i - 3] ^ w[i + 4];
      w[i + 6] = w[i - 2] ^ w[i + 5];
      w[i + 7] = w[i - 1] ^ w[i + 6];
    }
  }

  encRoundKey = w;
  SecureWipe(w.data(), sizeof w);
  numRounds = Nr;
  BuildDecryptionKeys(4);
  return 0;
}

void cRijndael::BuildDecryptionKeys(std::int32_t Nb) {
  const int Nr = numRounds;
  // Words beyond this schedule may hold those of an earlier, longer key.
  const auto used = static_cast<std::size_t>(Nr + 1) * static_cast<std::size_t>(Nb);
  SecureWipe(decRoundKey.data() + used, (decRoundKey.size() - used) * sizeof(Word));
  // Round keys in reverse order: the last encryption round key is used first.
  for (int r = 0; r <= Nr; ++r) {
    for (int c = 0; c < Nb; ++c) {
      decRoundKey[r * Nb + c] = encRoundKey[(Nr - r) * Nb + c];
    }
  }
  // InvMixColumns on every round key but the first and the last. The S-box lookup cancels the
  // inverse S-box folded into the inverse tables.
  for (int i = Nb; i < Nr * Nb; ++i) {
    const Word d = decRoundKey[i];
    decRoundKey[i] = invTable0[fwdSBox[Byte0(d)] & 0xFFu] ^ invTable1[fwdSBox[Byte1(d)] & 0xFFu] ^
                     invTable2[fwdSBox[Byte2(d)] & 0xFFu] ^ invTable3[fwdSBox[Byte3(d)] & 0xFFu];
  }
}

}  // namespace hostseal
