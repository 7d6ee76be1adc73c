"""Text under the built-in pass phrase, as the tool's encrypt and decrypt commands give it."""
from . import _library
from ._cipher import _code_page
from ._error import call_for_text, encode_text

_lib = _library.lib


def encrypt_text(text, code_page=None):
    """The hexadecimal cipher text of text: its bytes in the code page (None: the process's),
    encrypted under the built-in pass phrase, two upper-case digits a byte, two spaces between
    blocks."""
    data = encode_text(text, "the text")
    # Two digits a byte and two spaces a block; a code page may take more bytes than UTF-8.
    return call_for_text(_lib.hostseal_encrypt_text, data, _code_page(code_page),
                         capacity=3 * len(data) + 64)


def decrypt_text(hex_text, code_page=None):
    """The text back from encrypt_text's digits (pairs of digits, anything else skipped).
    Error 1 when the digits are not whole 16-byte blocks."""
    data = encode_text(hex_text, "the hexadecimal text")
    return call_for_text(_lib.hostseal_decrypt_text, data, _code_page(code_page),
                         capacity=len(data) + 64)
