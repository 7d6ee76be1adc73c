"""The host identity queries: a name's IPv4 address, a neighbour's MAC address, the processors."""
from . import _library
from ._cipher import _int32
from ._error import call_for_text, encode_text

_lib = _library.lib


def host_ip(name):
    """The first IPv4 address the system's resolver gives for name, dotted ("127.0.0.1");
    Error -101 when it gives none."""
    return call_for_text(_lib.hostseal_host_ip, encode_text(name, "the host name"))


def mac_address(ipv4, wait_ms=None):
    """The hardware address behind an IPv4 address of a local link ("00-C-29-A-B-1"), waiting
    at most wait_ms milliseconds for a neighbour not known yet (None: one second); Error -101
    when there is none, 5 when ipv4 is not four decimal fields of 0 to 255."""
    return call_for_text(_lib.hostseal_mac_address, encode_text(ipv4, "the IPv4 address"),
                         -1 if wait_ms is None else _int32(wait_ms, "wait_ms"))


def processor_ids():
    """The processor identifiers, one per physical package, as a list of str."""
    return call_for_text(_lib.hostseal_processor_ids).split()
