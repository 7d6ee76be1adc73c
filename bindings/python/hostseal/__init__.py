"""hostseal: AES in hostseal's byte-array, file and hexadecimal-text formats, and host identity.

A ctypes module over the shared library libhostseal (libhostseal.so.0 on Linux, hostseal.dll
on Windows; HOSTSEAL_LIBRARY names another), which needs no compiler:

    import hostseal
    with hostseal.Cipher(bytes.fromhex("000102030405060708090a0b0c0d0e0f")) as cipher:
        sealed = cipher.encrypt(b"hello", length_field=True)
        cipher.encrypt_file("notes.txt", "notes.aes")
    hostseal.encrypt_text("hello world")   # '628DB6811B3781263D33452EC71A0898'

Every failure raises hostseal.Error, with .number (the library's status) and .description.
"""
from ._cipher import Cipher
from ._error import Error
from ._host import host_ip, mac_address, processor_ids
from ._text import decrypt_text, encrypt_text

__all__ = ["Cipher", "Error", "encrypt_text", "decrypt_text", "host_ip", "mac_address",
           "processor_ids"]

from . import _library
from ._error import call_for_text as _call_for_text

__version__ = _call_for_text(_library.lib.hostseal_version)
