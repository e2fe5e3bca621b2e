#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# How fast Ctrl-C brings the menu back: each request is started with its
# answers on a pipe, SIGINT is sent at a random instant of its computation,
# and the time until " Calcul interrompu. " is printed is measured. Prints,
# per request, the worst and the median reaction, against the goals (every
# reaction under 1 s, the median under 0.2 s).
#   python3 bench/latence.py [essais par requete, 8 par defaut] [filtre des noms]
import os
import random
import signal
import statistics
import subprocess
import sys
import time

EXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "harmoniques")
INTERROMPU = b" Calcul interrompu. "
GRAND = "1" + "0" * 99998  # 10^99998

# (name, answers, earliest and latest instant of the signal, in seconds)
REQUETES_TOUTES = [
    ("niveau 2, 10^5 chiffres, terme a terme", "1 0 1000000 2 2 100000\n", 0.3, 3.0),
    ("niveau 2, 10^6 chiffres, terme a terme", "1 0 1000000 2 2 1000000\n", 0.3, 3.0),
    ("niveau 2, digamma a 200000 chiffres", "1 0 1" + "0" * 30 + " 2 2 200000\n", 0.3, 3.0),
    ("niveau 2, moments de Kempner a 10^4 chiffres", "1 0 1" + "0" * 30 + " 1 1 9 2 10000\n", 0.3, 3.0),
    ("item 4, 200000 decimales", "4 " + GRAND + " 200000\n", 0.05, 1.2),
    ("item 5, 200000 decimales", "5 391440 200000\n", 0.05, 1.2),
    ("somme exacte de 2 10^8 termes", "1 0 200000000 2 3 10 1000\n", 0.3, 3.0),
]


REQUETES = [r for r in REQUETES_TOUTES if len(sys.argv) < 3 or sys.argv[2] in r[0]]


def une_mesure(reponses, instant):
    p = subprocess.Popen([EXE], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    p.stdin.write(reponses.encode())
    p.stdin.flush()
    os.set_blocking(p.stdout.fileno(), False)
    sortie = b""
    debut = time.monotonic()
    time.sleep(instant)
    avant = len(sortie)
    t0 = time.monotonic()
    p.send_signal(signal.SIGINT)
    reaction = None
    while time.monotonic() - t0 < 300:
        try:
            bloc = p.stdout.read()
        except BlockingIOError:
            bloc = None
        if bloc:
            sortie += bloc
            if INTERROMPU in sortie:
                reaction = time.monotonic() - t0
                break
        if p.poll() is not None and not bloc:
            break
        time.sleep(0.002)
    p.kill()
    p.wait()
    del debut, avant
    return reaction


def main():
    essais = int(sys.argv[1]) if len(sys.argv) > 1 else 8
    random.seed(15)
    pire_de_tout = 0.0
    print(f"{'requete':48} {'pire':>8} {'mediane':>8}  essais")
    for nom, reponses, a, b in REQUETES:
        mesures = []
        for _ in range(essais):
            r = une_mesure(reponses, random.uniform(a, b))
            if r is not None:
                mesures.append(r)
        if not mesures:
            print(f"{nom:48} {'-':>8} {'-':>8}  0 (fini avant le signal)")
            continue
        pire = max(mesures)
        pire_de_tout = max(pire_de_tout, pire)
        print(f"{nom:48} {pire:8.3f} {statistics.median(mesures):8.3f}  {len(mesures)}")
    print(f"pire reaction : {pire_de_tout:.3f} s (but : moins de 1 s)")


if __name__ == "__main__":
    main()
