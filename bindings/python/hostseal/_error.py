"""hostseal.Error, and the calls that turn a status into it or fill a buffer by the size query."""
import ctypes

from . import _library

OK = 0
CIPHER_ERROR = 1
WRONG_KEY = 2
INVALID_ARGUMENT = 5
OVERFLOW = 6
OUT_OF_MEMORY = 7
BAD_FILE_NAME = 52
FILE_NOT_FOUND = 53
PERMISSION_DENIED = 70
PATH_NOT_FOUND = 76
NOT_WHOLE_BLOCKS = -1
SHORT_BUFFER = -100
NOT_FOUND = -101
CANCELLED = -102


class Error(Exception):
    """A failure of hostseal: number is the library's status (1 the cipher's own errors, 53
    file not found, -1 not whole blocks, ...; hostseal.h lists them) and description says what
    went wrong, in English."""

    def __init__(self, number, description):
        super().__init__(number, description)
        self.number = number
        self.description = description

    def __str__(self):
        return f"{self.description} (hostseal error {self.number})"


def _last_error_text():
    # Right after the failed call, on the same thread: the description is per thread.
    capacity = 512
    for _ in range(4):
        buffer = ctypes.create_string_buffer(capacity)
        size = ctypes.c_size_t(capacity)
        status = _library.lib.hostseal_last_error_text(buffer, ctypes.byref(size))
        if status == OK:
            return buffer.raw[:size.value].decode("utf-8", "replace")
        if status != SHORT_BUFFER:
            break
        capacity = size.value
    return ""


def error_of(status):
    """The Error of a status other than 0, with the calling thread's last description."""
    return Error(status, _last_error_text() or f"hostseal error {status}")


def check(status):
    """Raises Error for a status other than 0."""
    if status != OK:
        raise error_of(status)


def encode_text(text, what):
    """The UTF-8 bytes of a str for a C string: a zero character would end it early, so it is
    refused, as are lone surrogates, which UTF-8 cannot carry."""
    if not isinstance(text, str):
        raise Error(INVALID_ARGUMENT, f"{what} must be a str, not {type(text).__name__}")
    if "\0" in text:
        raise Error(INVALID_ARGUMENT, f"{what} holds a zero character (U+0000)")
    try:
        return text.encode("utf-8")
    except UnicodeEncodeError as error:
        raise Error(INVALID_ARGUMENT,
                    f"{what} holds a lone surrogate at character {error.start}") from None


def call_for_text(function, *arguments, capacity=64):
    """Calls a function whose last two arguments are a text buffer and its capacity, growing
    the buffer as the size query says, and gives the text as a str."""
    while True:
        buffer = ctypes.create_string_buffer(capacity)
        size = ctypes.c_size_t(capacity)
        status = function(*arguments, buffer, ctypes.byref(size))
        if status == SHORT_BUFFER and size.value > capacity:
            # Host queries may give a longer answer on the next call: ask again with the size.
            capacity = size.value
            continue
        check(status)
        return buffer.raw[:size.value].decode("utf-8")
