"""An uncertain delivery settled from the real windows, typed on the keyboard.

A reception server that keeps the file and never answers gets a sample declaration from
`zelta-transmitir --espera 0` (exit status 5: uncertain). Then the local reception server on port
2500 (the program's own), on the same data folder, stands in for it. The real `zeltanet`, started
in the delivery's folder on its own Xvfb display, shows the notice of uncertain deliveries in its
menu bar; "&Entregas do Mês" and its "&Verificar incertas" send the file again, the server finds it
received before, the history gets its receipt and the notice goes.
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from janela_real import (MENSAGEM, PRINCIPAL, Tela, abrir_zeltanet, encerrar, esperar,  # noqa: E402
                         executar_teste, exigir_vivo, falhar, iniciar)

ENTREGAS = "^Entregas do M.+s$"
PORTA = 2500
ARQUIVO = "INCERTA.MOV"
TAMANHO_LINHA = 181  # 179 record bytes + CR LF


def porta_livre():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def servidor(programa, dados, porta, log, *extra):
    with open(log, "ab") as saida:
        p = iniciar([programa, "--porta", str(porta), "--dados", dados, *extra], stdout=saida,
                    stderr=subprocess.STDOUT)

    def escuta():
        try:
            socket.create_connection(("127.0.0.1", porta), timeout=1).close()
            return True
        except OSError:
            return p.poll() is not None
    if not esperar(escuta, 10) or p.poll() is not None:
        falhar(f"o servidor de recepção não abriu a porta {porta}: " + open(log, errors="replace").read())
    return p


def aviso_visivel(tela):
    """Whether the menu bar's right end shows link-blue letters (the notice)."""
    wid = tela.focar(PRINCIPAL)
    x, y = tela.origem(wid)
    largura = tela.geometria(wid)[2]
    return tela.fracao(x + largura - 260, y, 255, 22, lambda p: p[2] > 150 and p[0] < 110 and p[1] < 110) > 0.003


def principal():
    a = argparse.ArgumentParser()
    for opcao in ("--zeltanet", "--servidor", "--declaracao", "--transmitir", "--capturas"):
        a.add_argument(opcao, required=True)
    opcoes = a.parse_args()

    inicio = time.monotonic()
    tela = Tela(opcoes.capturas)
    rascunho = os.path.join(os.path.dirname(os.path.abspath(opcoes.capturas)), "rascunho-incerta")
    shutil.rmtree(rascunho, ignore_errors=True)
    pasta = os.path.join(rascunho, "trabalho")
    dados = os.path.join(rascunho, "dados")
    os.makedirs(pasta)
    log = os.path.join(rascunho, "servidor.log")
    subprocess.run([opcoes.declaracao, "gerar", "--saida", os.path.join(pasta, ARQUIVO),
                    "--razao-social", f"EMPRESA INCERTA {time.time_ns() % 10**12}"],
                   check=True, stdout=subprocess.DEVNULL, timeout=30)

    calado_porta = porta_livre()
    calado = servidor(opcoes.servidor, dados, calado_porta, log, "--sem-resposta")
    envio = subprocess.run([opcoes.transmitir, "--sim", "--servidor", "127.0.0.1", "--porta", str(calado_porta),
                            "--espera", "0", ARQUIVO], cwd=pasta, capture_output=True, timeout=90)
    encerrar(calado)
    if envio.returncode != 5:
        falhar(f"zelta-transmitir deveria sair com 5 (incerta); saiu com {envio.returncode}: "
               + envio.stdout.decode(errors="replace"))

    try:
        socket.create_connection(("127.0.0.1", PORTA), timeout=1).close()
        falhar(f"a porta {PORTA} já está ocupada: o servidor desta prova precisa dela")
    except OSError:
        pass
    normal = servidor(opcoes.servidor, dados, PORTA, log)

    with open(os.path.join(rascunho, "zeltanet.log"), "wb") as saida:
        app = abrir_zeltanet(tela, opcoes.zeltanet, pasta, saida)
    tela.capturar("aviso-incerta")
    if not esperar(lambda: aviso_visivel(tela), 5):
        falhar("a janela principal não mostra o aviso de entrega incerta (veja a captura 'aviso-incerta')")

    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "e")
    if not tela.janela(ENTREGAS, 10):
        tela.capturar("sem-entregas")
        falhar("o item Entregas do Mês não abriu a janela")
    tela.capturar("entregas-do-mes")  # on the uncertain delivery's month, its row first
    tela.focar(ENTREGAS)
    tela.teclas("alt+v")
    # One block: 3 + 5 s of the protocol's pauses, then the reply.
    if not tela.janela(MENSAGEM, 60):
        tela.capturar("sem-resultado")
        falhar("nenhuma mensagem com o resultado da verificação em 60 s")
    tela.capturar("resultado-verificacao")
    tela.focar(MENSAGEM)
    tela.teclas("Return")
    if not tela.sumiu(MENSAGEM):
        falhar("Enter não fechou a mensagem do resultado")
    exigir_vivo(app, "a verificação")

    historico = os.path.join(pasta, "Zelta.ret")
    tamanho = os.path.getsize(historico) if os.path.exists(historico) else 0
    if tamanho != TAMANHO_LINHA:
        falhar(f"Zelta.ret deveria ter uma linha de {TAMANHO_LINHA} bytes depois da verificação; tem {tamanho}")
    registro = bytes(b - 10 for b in open(historico, "rb").read()[:-2])
    if registro[9:21] != ARQUIVO.encode().rjust(12):
        falhar(f"o recibo gravado não é o do arquivo verificado: {registro!r}")

    tela.focar(ENTREGAS)
    tela.teclas("Escape")
    if not tela.sumiu(ENTREGAS):
        falhar("Esc não fechou a janela Entregas do Mês")
    if not esperar(lambda: not aviso_visivel(tela), 5):
        tela.capturar("aviso-ficou")
        falhar("o aviso de entrega incerta continua depois da verificação")
    tela.capturar("sem-aviso")
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "s")
    try:
        app.wait(10)
    except subprocess.TimeoutExpired:
        falhar("&Sair não terminou o programa em 10 s")
    encerrar(normal)
    print(f"entrega incerta verificada em {time.monotonic() - inicio:.1f} s; capturas em {opcoes.capturas}")


if __name__ == "__main__":
    executar_teste(principal)
