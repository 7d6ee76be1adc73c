// Hostseal.cs: hostseal's C interface (hostseal.h) for C# through P/Invoke, and a small safe
// layer over it: Cipher (a SafeHandle that wipes the key schedule when disposed), Text and Host.
//
// Text crosses as UTF-8 in byte[] buffers, terminated by a zero byte, since the runtimes'
// default string marshalling is not UTF-8 everywhere. The library is "hostseal": hostseal.dll
// on Windows (stdcall, which CallingConvention.Winapi selects there), libhostseal.so.0 on Linux
// through the dllmap of seal.exe.config (mono) or the loader's search.
using System;
using System.Runtime.InteropServices;
using System.Text;
using Microsoft.Win32.SafeHandles;

namespace Hostseal {

public static class Native {
  const string Library = "hostseal";
  const CallingConvention Call = CallingConvention.Winapi;

  public const int Ok = 0;
  public const int ShortBuffer = -100;

  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_last_error_text(byte[] output, ref UIntPtr outputLength);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_new(out CipherHandle cipher);
  [DllImport(Library, CallingConvention = Call)]
  public static extern void hostseal_cipher_free(IntPtr cipher);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_set_key(CipherHandle cipher, byte[] key,
                                                   UIntPtr keyLength, int keyBits);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_set_key_hex(CipherHandle cipher, byte[] digits);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_encrypt(CipherHandle cipher, byte[] input,
                                                   UIntPtr length, int lengthField,
                                                   byte[] output, ref UIntPtr outputLength);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_decrypt(CipherHandle cipher, byte[] input,
                                                   UIntPtr length, int lengthField,
                                                   byte[] output, ref UIntPtr outputLength);
  // progress and context may be IntPtr.Zero.
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_encrypt_file(CipherHandle cipher, byte[] plainPath,
                                                        byte[] cipherPath, IntPtr progress,
                                                        IntPtr context);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_cipher_decrypt_file(CipherHandle cipher, byte[] plainPath,
                                                        byte[] cipherPath, IntPtr progress,
                                                        IntPtr context);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_encrypt_text(byte[] text, int codePage, byte[] output,
                                                 ref UIntPtr outputLength);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_decrypt_text(byte[] hex, int codePage, byte[] output,
                                                 ref UIntPtr outputLength);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_host_ip(byte[] name, byte[] output, ref UIntPtr outputLength);
  [DllImport(Library, CallingConvention = Call)]
  public static extern int hostseal_processor_ids(byte[] output, ref UIntPtr outputLength);

  // Text for the library: UTF-8 and a terminating zero byte. A zero character would end it
  // early, so it is refused.
  public static byte[] Utf8(string text) {
    if (text.IndexOf('\0') >= 0) throw new HostsealException(5, "text holds a zero character");
    byte[] bytes = new byte[Encoding.UTF8.GetByteCount(text) + 1];
    Encoding.UTF8.GetBytes(text, 0, text.Length, bytes, 0);
    return bytes;
  }

  public delegate int TextCall(byte[] output, ref UIntPtr outputLength);

  // A text output by the size query: null first, then a buffer of the capacity asked for.
  public static string Text(TextCall call) {
    byte[] output = null;
    UIntPtr length = UIntPtr.Zero;
    int status;
    while ((status = call(output, ref length)) == ShortBuffer) output = new byte[(ulong)length];
    Check(status);
    return output == null ? "" : Encoding.UTF8.GetString(output, 0, (int)(ulong)length);
  }

  public static void Check(int status) {
    if (status == Ok) return;
    UIntPtr length = (UIntPtr)1024;
    byte[] text = new byte[1024];
    string description = hostseal_last_error_text(text, ref length) == Ok
                             ? Encoding.UTF8.GetString(text, 0, (int)(ulong)length)
                             : "hostseal error " + status;
    throw new HostsealException(status, description);
  }
}

public sealed class HostsealException : Exception {
  public int Number { get; }
  public HostsealException(int number, string description) : base(description) {
    Number = number;
  }
}

public sealed class CipherHandle : SafeHandleZeroOrMinusOneIsInvalid {
  CipherHandle() : base(true) {}
  protected override bool ReleaseHandle() {
    Native.hostseal_cipher_free(handle);  // wipes the key schedule
    return true;
  }
}

public sealed class Cipher : IDisposable {
  readonly CipherHandle m_Handle;

  Cipher() { Native.Check(Native.hostseal_cipher_new(out m_Handle)); }

  // 16, 24 or 32 bytes: AES-128, -192 or -256.
  public Cipher(byte[] key) : this() {
    Native.Check(
        Native.hostseal_cipher_set_key(m_Handle, key, (UIntPtr)key.Length, key.Length * 8));
  }

  // 32, 48 or 64 hexadecimal digits, as `hostseal keygen` writes them.
  public static Cipher FromHex(string digits) {
    var cipher = new Cipher();
    try {
      Native.Check(Native.hostseal_cipher_set_key_hex(cipher.m_Handle, Native.Utf8(digits)));
    } catch {
      cipher.Dispose();
      throw;
    }
    return cipher;
  }

  public byte[] Encrypt(byte[] plain, bool lengthField) {
    int blocks = lengthField ? plain.Length / 16 + 1 : (plain.Length + 15) / 16;
    byte[] output = new byte[blocks * 16];
    UIntPtr length = (UIntPtr)output.Length;
    Native.Check(Native.hostseal_cipher_encrypt(m_Handle, plain, (UIntPtr)plain.Length,
                                                lengthField ? 1 : 0, output, ref length));
    return output;
  }

  public byte[] Decrypt(byte[] sealedBytes, bool lengthField) {
    byte[] output = new byte[sealedBytes.Length];
    UIntPtr length = (UIntPtr)output.Length;
    Native.Check(Native.hostseal_cipher_decrypt(m_Handle, sealedBytes, (UIntPtr)sealedBytes.Length,
                                                lengthField ? 1 : 0, output, ref length));
    Array.Resize(ref output, (int)(ulong)length);
    return output;
  }

  public void EncryptFile(string plainPath, string cipherPath) {
    Native.Check(Native.hostseal_cipher_encrypt_file(m_Handle, Native.Utf8(plainPath),
                                                     Native.Utf8(cipherPath), IntPtr.Zero,
                                                     IntPtr.Zero));
  }

  public void DecryptFile(string cipherPath, string plainPath) {
    Native.Check(Native.hostseal_cipher_decrypt_file(m_Handle, Native.Utf8(plainPath),
                                                     Native.Utf8(cipherPath), IntPtr.Zero,
                                                     IntPtr.Zero));
  }

  public void Dispose() { m_Handle.Dispose(); }
}

public static class Text {
  // Under the built-in pass phrase; codePage 0 is the process's.
  public static string Encrypt(string text, int codePage = 0) {
    byte[] input = Native.Utf8(text);
    return Native.Text(
        (byte[] o, ref UIntPtr n) => Native.hostseal_encrypt_text(input, codePage, o, ref n));
  }

  public static string Decrypt(string hex, int codePage = 0) {
    byte[] input = Native.Utf8(hex);
    return Native.Text(
        (byte[] o, ref UIntPtr n) => Native.hostseal_decrypt_text(input, codePage, o, ref n));
  }
}

public static class Host {
  public static string IP(string name) {
    byte[] input = Native.Utf8(name);
    return Native.Text((byte[] o, ref UIntPtr n) => Native.hostseal_host_ip(input, o, ref n));
  }

  public static string ProcessorIds() { return Native.Text(Native.hostseal_processor_ids); }
}

}  // namespace Hostseal
