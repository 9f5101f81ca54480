"""The Windows `zelta-transmitir.exe` in a console (Wine's, on a pseudo-terminal of 80 columns):
Ctrl-C while the first of three files awaits its reply lets that one finish and starts no other,
and the accented texts come out right through the console's code page.

Runs with the Wine prefix of scripts/teste-windows (WINEPREFIX, HOME and the Wine variables in the
environment).
"""
import argparse
import fcntl
import os
import pty
import re
import select
import shutil
import struct
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from janela_real import encerrar, executar_teste, falhar  # noqa: E402
from tst_janela_wine import WINE, servidor_de_recepcao  # noqa: E402


def texto_do_console(bruto):
    """What the console shows, as text: Wine draws blanks as cursor moves and adds its own
    cursor and erase sequences."""
    bruto = re.sub(rb"\x1b\[(\d+)C", lambda m: b" " * int(m.group(1)), bruto)
    bruto = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", bruto)
    return bruto.replace(b"\r", b"").decode("utf-8", "replace")


def executar_no_console(argumentos, pasta, gatilho, segundos=120):
    """Runs the program on a pseudo-terminal of 80 columns; types Ctrl-C once `gatilho` shows.
    Returns (exit status, text shown, whether Ctrl-C was typed)."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(pasta)
        os.execv(WINE, [WINE, *argumentos])
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    bruto, interrompido, limite = b"", False, time.monotonic() + segundos
    while time.monotonic() < limite:
        if select.select([fd], [], [], 0.5)[0]:
            try:
                parte = os.read(fd, 4096)
            except OSError:  # the program and its console are gone
                break
            if not parte:
                break
            bruto += parte
        if not interrompido and gatilho in texto_do_console(bruto):
            os.write(fd, b"\x03")
            interrompido = True
    else:
        os.kill(pid, 9)
        falhar(f"o programa não terminou em {segundos} s: {texto_do_console(bruto)}")
    _, situacao = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(situacao), texto_do_console(bruto), interrompido


def principal():
    a = argparse.ArgumentParser()
    a.add_argument("--transmitir", required=True, help="zelta-transmitir.exe")
    a.add_argument("--servidor", required=True, help="the Linux zelta-servidor")
    a.add_argument("--declaracao", required=True, help="the Linux zelta-declaracao")
    a.add_argument("--pasta", required=True, help="a scratch folder, made anew")
    opcoes = a.parse_args()

    shutil.rmtree(opcoes.pasta, ignore_errors=True)
    os.makedirs(opcoes.pasta)
    servidor, porta, _log = servidor_de_recepcao(os.path.abspath(opcoes.servidor), opcoes.pasta)
    trabalho = os.path.join(opcoes.pasta, "trabalho")
    os.makedirs(trabalho)
    arquivos = ["C1.MOV", "C2.MOV", "C3.MOV"]
    for i, nome in enumerate(arquivos, 1):
        subprocess.run([os.path.abspath(opcoes.declaracao), "gerar", "--saida", os.path.join(trabalho, nome),
                        "--razao-social", f"EMPRESA AÇÃO {i}", "--competencia", "032024"],
                       check=True, stdout=subprocess.DEVNULL, timeout=30)
    situacao, texto, interrompido = executar_no_console(
        [os.path.abspath(opcoes.transmitir), "--servidor", "127.0.0.1", "--porta", str(porta), "--sim", *arquivos],
        trabalho, "aguardando resposta")
    encerrar(servidor)
    if not interrompido:
        falhar(f"o primeiro arquivo não chegou a aguardar a resposta:\n{texto}")
    if situacao != 1 or "Interrompido" not in texto:
        falhar(f"Ctrl-C deveria interromper o lote (situação 1); situação {situacao}:\n{texto}")
    esperados = [r"C1\.MOV +EMPRESA AÇÃO 1 +03/2024 +Aceito, código \d{8}",
                 r"C2\.MOV +EMPRESA AÇÃO 2 +03/2024 +Não transmitido \(interrompido\)",
                 r"C3\.MOV +EMPRESA AÇÃO 3 +03/2024 +Não transmitido \(interrompido\)"]
    for e in esperados:
        if not re.search(e, texto):
            falhar(f"falta no resumo a linha {e!r} (acentos trocados?):\n{texto}")
    tamanho = os.path.getsize(os.path.join(trabalho, "Zelta.ret"))
    if tamanho != 181:
        falhar(f"Zelta.ret deveria ter a linha do primeiro arquivo (181 bytes); tem {tamanho}")
    print("Ctrl-C no console do Wine: o arquivo em andamento terminou, os outros dois não começaram; "
          "acentos certos")


if __name__ == "__main__":
    executar_teste(principal)
