"""Finds libhostseal and declares the C functions of hostseal.h that the module calls.

The library is HOSTSEAL_LIBRARY (an absolute path) when that is set, as in the build tree's tests;
otherwise the one of the ABI this module is written for: libhostseal.so.0 on Linux, whatever
the loader finds by that name (never a libhostseal.so.N of another ABI), and hostseal.dll on
Windows, whose functions use the stdcall convention.
"""
import ctypes
import ctypes.util
import os
import sys

ABI = 0

if sys.platform == "win32":
    _Library = ctypes.WinDLL
    FUNCTION_TYPE = ctypes.WINFUNCTYPE
    _NAMES = ("hostseal.dll",)
elif sys.platform == "darwin":
    _Library = ctypes.CDLL
    FUNCTION_TYPE = ctypes.CFUNCTYPE
    _NAMES = (f"libhostseal.{ABI}.dylib",)
else:
    _Library = ctypes.CDLL
    FUNCTION_TYPE = ctypes.CFUNCTYPE
    _NAMES = (f"libhostseal.so.{ABI}",)


def _load():
    path = os.environ.get("HOSTSEAL_LIBRARY")
    if path:
        # A relative name would be looked up in the current folder or the loader's path, which
        # may be another user's (a process started in /tmp).
        if not os.path.isabs(path):
            raise ImportError(f"hostseal: HOSTSEAL_LIBRARY must be an absolute path, not {path!r}")
        return _Library(path)
    errors = []
    for name in _NAMES:
        try:
            return _Library(name)
        except OSError as error:
            errors.append(str(error))
    if sys.platform == "win32":
        found = ctypes.util.find_library("hostseal")
        if found:
            return _Library(found)
    raise ImportError(
        "hostseal: the shared library " + " or ".join(_NAMES) + " cannot be loaded ("
        + "; ".join(errors) + "); install libhostseal" + str(ABI)
        + " or set HOSTSEAL_LIBRARY to its path")


lib = _load()

status = ctypes.c_int32
size_p = ctypes.POINTER(ctypes.c_size_t)
void_p = ctypes.c_void_p
char_p = ctypes.c_char_p
int32 = ctypes.c_int32
cipher_pp = ctypes.POINTER(ctypes.c_void_p)

# done, total; a non-zero return stops the operation.
PROGRESS = FUNCTION_TYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_uint64, ctypes.c_uint64)

_PROTOTYPES = {
    "hostseal_last_error": (status, []),
    "hostseal_last_error_text": (status, [void_p, size_p]),
    "hostseal_version": (status, [void_p, size_p]),
    "hostseal_cipher_new": (status, [cipher_pp]),
    "hostseal_cipher_free": (None, [void_p]),
    "hostseal_cipher_set_key": (status, [void_p, void_p, ctypes.c_size_t, int32]),
    "hostseal_cipher_set_key_hex": (status, [void_p, char_p]),
    "hostseal_cipher_set_pass_phrase": (status, [void_p, char_p, int32, int32]),
    "hostseal_cipher_set_built_in_key": (status, [void_p]),
    "hostseal_cipher_encrypt": (status, [void_p, void_p, ctypes.c_size_t, ctypes.c_int, void_p,
                                         size_p]),
    "hostseal_cipher_decrypt": (status, [void_p, void_p, ctypes.c_size_t, ctypes.c_int, void_p,
                                         size_p]),
    "hostseal_cipher_encrypt_file": (status, [void_p, char_p, char_p, PROGRESS, void_p]),
    "hostseal_cipher_decrypt_file": (status, [void_p, char_p, char_p, PROGRESS, void_p]),
    "hostseal_encrypt_text": (status, [char_p, int32, void_p, size_p]),
    "hostseal_decrypt_text": (status, [char_p, int32, void_p, size_p]),
    "hostseal_host_ip": (status, [char_p, void_p, size_p]),
    "hostseal_mac_address": (status, [char_p, int32, void_p, size_p]),
    "hostseal_processor_ids": (status, [void_p, size_p]),
}

for _name, (_result, _arguments) in _PROTOTYPES.items():
    _function = getattr(lib, _name)
    _function.restype = _result
    _function.argtypes = _arguments
