"""A file operation of the library on a thread of its own, its progress answered by the caller.

Python runs signal handlers only on the main thread and between its own instructions. Were the
library called on the caller's thread, a Ctrl-C that came while it worked would be raised as
the next progress callback began, before any Python code of it could catch it: ctypes would
print it as ignored and hand the library an undefined answer. So the library works on a worker
thread, whose callbacks never run signal handlers; the caller's thread waits for their reports,
calls the progress callable with each, and answers "go on" or "stop". A KeyboardInterrupt, or
any exception of the progress callable, is caught there and answered with "stop" (the library
then leaves the target as it was), and raised once the worker has ended.
"""
import queue
import threading

from . import _library
from ._error import OK, error_of

_END = object()


def run_file_operation(call, progress):
    """Runs call(callback) -> status on a worker thread; gives (status, Error or None, the
    exception that stopped it or None)."""
    reports = queue.SimpleQueue()  # worker to caller: (done, total), then _END
    answers = queue.SimpleQueue()  # caller to worker: 0 go on, 1 stop
    outcome = [OK, None]

    def report(_context, done, total):
        reports.put((done, total))
        return answers.get()

    def work(callback):
        try:
            outcome[0] = call(callback)
            if outcome[0] != OK:
                outcome[1] = error_of(outcome[0])  # the description is the worker thread's
        finally:
            reports.put(_END)

    callback = _library.PROGRESS(report)
    worker = threading.Thread(target=work, args=(callback,), name="hostseal file operation")
    worker.start()
    stop = None
    try:
        while True:
            try:
                # A timeout, so that a wait on Windows, which Ctrl-C does not cut short, ends.
                item = reports.get(timeout=0.25)
            except queue.Empty:
                continue
            except BaseException as error:
                stop = stop or error
                continue
            if item is _END:
                break
            if stop is None and progress is not None:
                try:
                    progress(*item)
                except BaseException as error:
                    stop = error
            answers.put(0 if stop is None else 1)
    finally:
        # Whatever came in between, the worker is told to stop and is waited for: it holds the
        # cipher's handle and the target's temporary file.
        if worker.is_alive():
            answers.put(1)
            while worker.is_alive():
                try:
                    worker.join()
                except BaseException as error:
                    stop = stop or error
    return outcome[0], outcome[1], stop
