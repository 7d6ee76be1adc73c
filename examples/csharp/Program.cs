// seal: hostseal from C#. Prints what the hostseal tool prints for the same command.
//   seal encrypt TEXT | decrypt HEX            text under the built-in pass phrase (UTF-8)
//   seal encrypt-file KEY IN OUT | decrypt-file KEY IN OUT   KEY: 32, 48 or 64 hex digits
//   seal host-ip NAME | cpu
// Build: mcs -out:seal.exe Hostseal.cs Program.cs; run: mono seal.exe (seal.exe.config beside).
using System;
using Hostseal;

static class Program {
  static int Main(string[] args) {
    try {
      string command = args.Length > 0 ? args[0] + "/" + args.Length : "";
      switch (command) {
        case "encrypt/2":
          Console.WriteLine(Text.Encrypt(args[1], 65001));
          return 0;
        case "decrypt/2":
          Console.WriteLine(Text.Decrypt(args[1], 65001));
          return 0;
        case "encrypt-file/4":
          using (var cipher = Cipher.FromHex(args[1])) cipher.EncryptFile(args[2], args[3]);
          return 0;
        case "decrypt-file/4":
          using (var cipher = Cipher.FromHex(args[1])) cipher.DecryptFile(args[2], args[3]);
          return 0;
        case "host-ip/2":
          Console.WriteLine(Host.IP(args[1]));
          return 0;
        case "cpu/1":
          Console.WriteLine(Host.ProcessorIds());
          return 0;
        default:
          Console.Error.WriteLine("usage: seal encrypt TEXT | decrypt HEX | encrypt-file KEY IN OUT"
                                  + " | decrypt-file KEY IN OUT | host-ip NAME | cpu");
          return 2;
      }
    } catch (HostsealException error) {
      Console.Error.WriteLine("seal: " + error.Message + " (error " + error.Number + ")");
      return 3;
    }
  }
}
