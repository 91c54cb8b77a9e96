#!/usr/bin/env python3
"""Asks a SAT device whether it is working and for its operational status, from Python through
ctypes and the installed driver library libcfedriver.so.3.

    python3 consultar.py [ACTIVATION_CODE]

The library finds the device by itself, or takes the port from its settings file (CFEDRIVER_INI;
satemu --ini PATH writes one for the emulator). Exit status 0 when both replies are successes.
"""
import ctypes
import sys
import time

# By its SONAME, as the dynamic loader finds it (LD_LIBRARY_PATH, /etc/ld.so.cache, /usr/lib).
sat = ctypes.CDLL("libcfedriver.so.3")

# Texts go in and come out as 8-bit bytes. A reply belongs to the library and stays valid only
# until this thread's next call: restype c_char_p makes ctypes copy it into a bytes object at once.
sat.ConsultarSAT.argtypes = [ctypes.c_int]
sat.ConsultarSAT.restype = ctypes.c_char_p
sat.ConsultarStatusOperacional.argtypes = [ctypes.c_int, ctypes.c_char_p]
sat.ConsultarStatusOperacional.restype = ctypes.c_char_p
sat.SetDriver.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
sat.SetDriver.restype = ctypes.c_char_p


def code(reply):
    """Field 1 of "session|code|message|..." is the five-digit return code."""
    fields = reply.split(b"|")
    return fields[1].decode("ascii", "replace") if len(fields) > 1 else ""


def main():
    activation_code = (sys.argv[1] if len(sys.argv) > 1 else "12345678").encode()
    # Each call takes a session number of its own (1 to 999999): the reply carries it back.
    session = int(time.time()) % 900000 + 1
    consulta = sat.ConsultarSAT(session)
    print("ConsultarSAT:", consulta.decode("utf-8", "replace"))
    status = sat.ConsultarStatusOperacional(session + 1, activation_code)
    print("ConsultarStatusOperacional:", status.decode("utf-8", "replace"))
    print("driver", sat.SetDriver(b"VERSAO", b"").decode())
    # 08098 is also the answer when no device could be reached at all.
    return 0 if code(consulta) == "08000" and code(status) == "10000" else 1


if __name__ == "__main__":
    sys.exit(main())
