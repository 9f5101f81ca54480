"""Starts Linux reception servers on behalf of the Windows test suites running under Wine.

The reception server is a Linux program, and a Windows program under Wine cannot wait for or stop
a Linux process. So the suites ask this controller instead: each connection to it sends one line,
the server's options separated by tabs, and gets back "porta N" once that server listens on
127.0.0.1; the server runs, with a data folder of its own, until that connection closes.

    servidores_linux.py --servidor PATH --arquivo-porta FILE

Writes the controller's own port to FILE once it listens, then serves until killed. Every server
still running is stopped when the controller ends.
"""
import argparse
import atexit
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading

ESPERA_PORTA = 30  # seconds for a server to say its port
_vivos = set()
_vez = threading.Lock()


def _parar(servidor):
    servidor.terminate()
    try:
        servidor.wait(10)
    except subprocess.TimeoutExpired:
        servidor.kill()
        servidor.wait()


@atexit.register
def _parar_todos():
    with _vez:
        for servidor in list(_vivos):
            _parar(servidor)


def servir(conexao, programa):
    with conexao:
        linha = b""
        while not linha.endswith(b"\n") and len(linha) < 65536:
            parte = conexao.recv(4096)
            if not parte:
                return
            linha += parte
        opcoes = [o for o in linha.decode("utf-8").rstrip("\n").split("\t") if o]
        dados = tempfile.mkdtemp(prefix="zelta-servidor-wine-")
        servidor = subprocess.Popen([programa, "--porta", "0", "--escuta", "127.0.0.1", "--dados", dados,
                                     *opcoes], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        with _vez:
            _vivos.add(servidor)
        try:
            # The server says "porta N" once it listens.
            temporizador = threading.Timer(ESPERA_PORTA, servidor.kill)
            temporizador.start()
            linha = b""
            for linha in iter(servidor.stdout.readline, b""):
                if linha.startswith(b"porta "):
                    break
            temporizador.cancel()
            conexao.sendall(linha if linha.startswith(b"porta ") else b"erro\n")
            threading.Thread(target=servidor.stdout.read, daemon=True).start()  # never blocks it
            while conexao.recv(4096):
                pass
        except OSError:
            pass
        finally:
            with _vez:
                _vivos.discard(servidor)
            _parar(servidor)
            shutil.rmtree(dados, ignore_errors=True)


def principal():
    a = argparse.ArgumentParser()
    a.add_argument("--servidor", required=True)
    a.add_argument("--arquivo-porta", required=True)
    opcoes = a.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    escuta = socket.socket()
    escuta.bind(("127.0.0.1", 0))
    escuta.listen(64)
    temporario = opcoes.arquivo_porta + ".tmp"
    with open(temporario, "w") as f:
        f.write(str(escuta.getsockname()[1]))
    os.replace(temporario, opcoes.arquivo_porta)
    while True:
        conexao, _ = escuta.accept()
        threading.Thread(target=servir, args=(conexao, opcoes.servidor), daemon=True).start()


if __name__ == "__main__":
    principal()
