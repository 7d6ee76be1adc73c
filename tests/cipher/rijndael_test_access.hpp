// Reads the private tables and round keys of cRijndael for the tests.
#pragma once

#include <array>
#include <cstdint>

#include "hostseal/cipher/rijndael.hpp"

namespace hostseal {

struct cRijndaelTestAccess {
  using Table = std::array<std::uint32_t, 256>;
  static const Table& FwdTable(const cRijndael& c, int k) {
    const Table* tables[] = {&c.fwdTable0, &c.fwdTable1, &c.fwdTable2, &c.fwdTable3};
    return *tables[k];
  }
  static const Table& InvTable(const cRijndael& c, int k) {
    const Table* tables[] = {&c.invTable0, &c.invTable1, &c.invTable2, &c.invTable3};
    return *tables[k];
  }
  static const Table& FwdSBox(const cRijndael& c) { return c.fwdSBox; }
  static const Table& InvSBox(const cRijndael& c) { return c.invSBox; }
  static const std::array<std::uint32_t, 10>& RoundConst(const cRijndael& c) {
    return c.roundConst;
  }
  static std::int32_t NumRounds(const cRijndael& c) { return c.numRounds; }
  static const std::array<std::uint32_t, 60>& EncRoundKey(const cRijndael& c) {
    return c.encRoundKey;
  }
  static const std::array<std::uint32_t, 60>& DecRoundKey(const cRijndael& c) {
    return c.decRoundKey;
  }
};

}  // namespace hostseal
