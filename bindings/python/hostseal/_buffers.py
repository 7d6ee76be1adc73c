"""Byte buffers between Python and the library without copies where CPython allows them.

An output goes straight into a new bytes object (CPython's PyBytes_FromStringAndSize with no
source gives one whose bytes the caller fills before anyone else sees it), so a 1 MiB result is
written once. An input that is bytes, or a writable contiguous buffer such as a bytearray, is
passed by its address; other buffers are copied once.
"""
import ctypes
import sys

from ._error import Error, INVALID_ARGUMENT

if sys.implementation.name == "cpython":
    _new_bytes = ctypes.pythonapi.PyBytes_FromStringAndSize
    _new_bytes.restype = ctypes.py_object
    _new_bytes.argtypes = [ctypes.c_void_p, ctypes.c_ssize_t]
    _bytes_address = ctypes.pythonapi.PyBytes_AsString
    _bytes_address.restype = ctypes.c_void_p
    _bytes_address.argtypes = [ctypes.py_object]

    class Output:
        """size bytes for the library to fill; result(n) gives the first n as bytes."""

        def __init__(self, size):
            self._bytes = _new_bytes(None, size)
            self._size = size
            self.address = _bytes_address(self._bytes)

        def result(self, length):
            return self._bytes if length == self._size else self._bytes[:length]
else:
    class Output:
        def __init__(self, size):
            self._buffer = ctypes.create_string_buffer(max(size, 1))
            self.address = ctypes.addressof(self._buffer)

        def result(self, length):
            return ctypes.string_at(self.address, length)


def input_bytes(data, what="data"):
    """An object ctypes passes as a pointer to the bytes of data, and their number."""
    if isinstance(data, bytes):
        return data, len(data)
    if isinstance(data, str):
        raise Error(INVALID_ARGUMENT, f"{what} must be bytes, not str (encode the text first)")
    try:
        view = memoryview(data)
    except TypeError:
        raise Error(INVALID_ARGUMENT,
                    f"{what} must be bytes-like, not {type(data).__name__}") from None
    if view.contiguous and not view.readonly:
        flat = view.cast("B") if view.format != "B" or view.ndim != 1 else view
        return (ctypes.c_char * flat.nbytes).from_buffer(flat), flat.nbytes
    copy = view.tobytes()
    return copy, len(copy)
