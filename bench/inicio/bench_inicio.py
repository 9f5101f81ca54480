"""Start-up time: from starting the process until its main window is on the screen.

Measured from outside, on a virtual display of its own, for zeltanet and for a bare Qt Widgets
window, and for that window with a one-item menu bar (which, like zeltanet's menus, makes Qt load
the fonts before the window appears). Prints the median of RODADAS runs each and the ratios (goal:
zeltanet within 1.5 times the bare window). Runs alternate between the programs, after one
unmeasured run of each to warm the disk and font caches.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "gui"))
from janela_real import PRINCIPAL, Tela, encerrar, executar_teste, falhar, iniciar, titulo  # noqa: E402

RODADAS = 10
INTERVALO = 0.005  # between looks for the window
LIMITE = 20        # seconds a program may take to show its window
META = 1.5


def tempo_ate_janela(tela, programa, regex, pasta):
    """Seconds from starting `programa` (a command line) until a window titled `regex` is visible."""
    comando = ["xdotool", "search", "--onlyvisible", "--name", regex]
    inicio = time.perf_counter()
    p = iniciar(programa, cwd=pasta, env=tela.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.perf_counter() - inicio < LIMITE:
            if subprocess.run(comando, env=tela.env(), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL).stdout.strip():
                return time.perf_counter() - inicio
            if p.poll() is not None:
                falhar(f"{programa} terminou (código {p.returncode}) antes de mostrar a janela")
            time.sleep(INTERVALO)
        falhar(f"{programa} não mostrou a janela em {LIMITE} s")
    finally:
        encerrar(p)


def principal():
    a = argparse.ArgumentParser()
    a.add_argument("--zeltanet", required=True)
    a.add_argument("--minimo", required=True)
    a.add_argument("--rodadas", type=int, default=RODADAS)
    opcoes = a.parse_args()

    tela = Tela()
    minimo = titulo("Minimo")
    programas = {"zeltanet": ([opcoes.zeltanet], PRINCIPAL), "minimo": ([opcoes.minimo], minimo),
                 "minimo+menu": ([opcoes.minimo, "--menu"], minimo)}
    tempos = {nome: [] for nome in programas}
    with tempfile.TemporaryDirectory() as pasta:  # no history there, as on a first start
        for nome, (programa, regex) in programas.items():
            tempo_ate_janela(tela, programa, regex, pasta)
        for _ in range(opcoes.rodadas):
            for nome, (programa, regex) in programas.items():
                tempos[nome].append(tempo_ate_janela(tela, programa, regex, pasta))
    medianas = {nome: statistics.median(t) for nome, t in tempos.items()}
    for nome, t in tempos.items():
        print(f"{nome:11s} mediana {medianas[nome] * 1000:7.1f} ms  (mín {min(t) * 1000:.1f}, "
              f"máx {max(t) * 1000:.1f}, {len(t)} rodadas)")
    razao = medianas["zeltanet"] / medianas["minimo"]
    print(f"razão zeltanet / mínimo: {razao:.2f} (meta: até {META}); "
          f"zeltanet / mínimo com menu: {medianas['zeltanet'] / medianas['minimo+menu']:.2f}")
    if razao > META:
        falhar(f"o ZELTA Net leva {razao:.2f} vezes o tempo do programa mínimo para abrir (meta {META})")


if __name__ == "__main__":
    executar_teste(principal)
