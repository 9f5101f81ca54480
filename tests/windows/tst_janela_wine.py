"""The Windows build's real window under Wine, typed on the keyboard as a person would.

`zeltanet.exe` runs under Wine on an Xvfb display of its own, in a scratch folder holding a sample
declaration, against the Linux reception server on loopback. The test transmits the file, checks
"Zelta.ret" byte for byte against the Linux tool's line for the same reply, prints the receipt on
the default printer (a CUPS PDF queue Wine shows as a Windows printer) and compares the PDF's text
with the Linux tool's PDF of the same receipt, prints again on the queue refusing jobs (an
unavailable printer, never a silent loss), previews it, opens the reprint window and ends the
program, keeping a screenshot of every step.

Runs inside scripts/com-fila-pdf (the queue) with the Wine prefix of scripts/teste-windows
(WINEPREFIX, HOME and the Wine variables in the environment).
"""
import argparse
import glob
import os
import re
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from janela_real import (MENSAGEM, PRINCIPAL, TRANSMITIR, Tela, encerrar, esperar,  # noqa: E402
                         executar_teste, exigir_vivo, falhar, iniciar)
from tst_ponta_a_ponta import (ARQUIVO, conferir_historico, imprimir_da_lista, reimprimir_e_sair,  # noqa: E402
                               transmitir, visualizar_e_voltar)

WINE = "/usr/lib/wine/wine64"  # Debian's wine64 is not on PATH


def porta_livre():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def servidor_de_recepcao(programa, pasta):
    """The Linux reception server on a free loopback port: (process, port, log path)."""
    porta = porta_livre()
    log = os.path.join(pasta, "servidor.log")
    with open(log, "wb") as saida:
        p = iniciar([programa, "--porta", str(porta), "--escuta", "127.0.0.1",
                     "--dados", os.path.join(pasta, "dados")], stdout=saida, stderr=subprocess.STDOUT)

    def escuta():
        try:
            socket.create_connection(("127.0.0.1", porta), timeout=1).close()
            return True
        except OSError:
            return False
    if not esperar(lambda: p.poll() is not None or escuta(), 10) or p.poll() is not None:
        falhar("o servidor de recepção não abriu a porta: " + open(log, errors="replace").read())
    return p, porta, log


def ambiente_wine(tela):
    """The display's environment for a Windows program: its real "windows" platform, not the
    offscreen one the Wine suites use."""
    env = tela.env()
    env.pop("WINEQT_QPA_PLATFORM", None)
    return env


def apontar_servidor(env, porta):
    """The program's connection settings, where it keeps them on Windows (the user's registry)."""
    chave = r"HKCU\Software\zeltanet\zeltanet\Conexao"
    for nome, valor in (("Servidor", "127.0.0.1"), ("Porta", str(porta))):
        subprocess.run([WINE, "reg", "add", chave, "/v", nome, "/d", valor, "/f"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def entrega_linux(transmitir_linux, porta, pasta_wine, pasta):
    """The Linux tool sends the same declaration: the server answers "already received" with the
    first delivery's code and time, so its history line and its PDF are the same receipt's."""
    os.makedirs(pasta)
    shutil.copy(os.path.join(pasta_wine, ARQUIVO), pasta)
    r = subprocess.run([transmitir_linux, "--servidor", "127.0.0.1", "--porta", str(porta), "--sim",
                        "--recibos", "Recibos", ARQUIVO], cwd=pasta, capture_output=True, text=True,
                       timeout=120)
    if r.returncode != 0:
        falhar(f"a entrega pelo programa Linux terminou com {r.returncode}: {r.stdout}{r.stderr}")
    with open(os.path.join(pasta_wine, "Zelta.ret"), "rb") as f, \
            open(os.path.join(pasta, "Zelta.ret"), "rb") as g:
        wine, linux = f.read(), g.read()
    if wine != linux:
        falhar(f"Zelta.ret difere do programa Linux:\n  Windows {wine!r}\n  Linux   {linux!r}")
    pdfs = glob.glob(os.path.join(pasta, "Recibos", "*.pdf"))
    if len(pdfs) != 1:
        falhar(f"o programa Linux deveria ter gravado um recibo em PDF; gravou {pdfs}")
    return pdfs[0]


def texto_pdf(caminho):
    """The PDF's lines, blanks normalised, empty lines left out."""
    r = subprocess.run(["pdftotext", "-layout", "-enc", "UTF-8", caminho, "-"], capture_output=True,
                       text=True, timeout=30)
    return [" ".join(linha.split()) for linha in r.stdout.splitlines() if linha.strip()]


def imprimir_na_fila(tela, app, pdf_linux):
    """"&Imprimir" on the default printer: the PDF the queue writes must say what the Linux PDF
    says, but for the time of printing."""
    saidas = os.environ["ZELTA_SAIDAS_PDF"].split(":")
    marca = time.time()
    tela.focar(TRANSMITIR)
    tela.teclas("alt+i")
    # With the printer list still unchosen, message 14 comes first; its first entry is then the
    # default printer.
    if tela.janela(MENSAGEM, 3):
        imprimir_da_lista(tela, "Home")

    def novo_pdf():
        achados = [c for s in saidas for c in glob.glob(os.path.join(s, "*.pdf"))
                   if os.path.getmtime(c) >= marca - 1 and os.path.getsize(c) > 0]
        return achados[0] if achados else None
    pdf = esperar(novo_pdf, 60, 0.5)
    tela.capturar("impresso")
    if tela.janela(MENSAGEM, 0):
        falhar("uma mensagem apareceu ao imprimir (veja a captura 'impresso')")
    if not pdf:
        falhar(f"nenhum PDF da fila em 60 s em {saidas}")
    exigir_vivo(app, "a impressão")
    time.sleep(1)  # the print system may still be writing it
    impresso, esperado = texto_pdf(pdf), texto_pdf(pdf_linux)
    os.remove(pdf)
    # Only the time of printing, on the page's header, may differ.
    hora = re.compile(r"\d\d/\d\d/\d{4}|\d\d:\d\d:\d\d")
    diferentes = [(e, o) for e, o in zip(esperado, impresso)
                  if e != o and not (e.startswith(("KORVENAL", "ZELTA Net")) and hora.sub("", e) == hora.sub("", o))]
    if len(impresso) != len(esperado) or diferentes:
        falhar("o recibo impresso difere do PDF do programa Linux:\n"
               + "\n".join(f"  Linux: {e!r}\n  Wine:  {o!r}" for e, o in diferentes)
               + f"\n  ({len(esperado)} linhas no Linux, {len(impresso)} no impresso)")
    return len(impresso)


def imprimir_na_fila_recusada(tela, app):
    """A queue that refuses jobs (cupsreject) is reported as an unavailable printer, never as
    printed: the spooler takes the job from Qt, and the print system behind it refuses it."""
    fila = os.environ["ZELTA_FILA_PDF"]
    saidas = os.environ["ZELTA_SAIDAS_PDF"].split(":")
    subprocess.run(["cupsreject", fila], check=True, timeout=30)
    try:
        marca = time.time()
        tela.focar(TRANSMITIR)
        tela.teclas("alt+i")
        if not tela.janela(MENSAGEM, 60):
            tela.capturar("recusa-sem-mensagem")
            falhar("imprimir numa fila que recusa trabalhos não deu mensagem")
        tela.capturar("impressora-indisponivel")
        tela.focar(MENSAGEM)
        tela.teclas("Return")
        if not tela.sumiu(MENSAGEM):
            falhar("Enter não fechou a mensagem da impressora indisponível")
        exigir_vivo(app, "a impressão recusada")
        novos = [c for s in saidas for c in glob.glob(os.path.join(s, "*.pdf")) if os.path.getmtime(c) >= marca - 1]
        if novos:
            falhar(f"a fila que recusa trabalhos imprimiu: {novos}")
    finally:
        subprocess.run(["cupsaccept", fila], timeout=30)


def principal():
    a = argparse.ArgumentParser()
    a.add_argument("--zeltanet", required=True, help="zeltanet.exe")
    a.add_argument("--servidor", required=True, help="the Linux zelta-servidor")
    a.add_argument("--transmitir", required=True, help="the Linux zelta-transmitir")
    a.add_argument("--declaracao", required=True, help="the Linux zelta-declaracao")
    a.add_argument("--capturas", required=True)
    opcoes = a.parse_args()
    for nome in ("zeltanet", "servidor", "transmitir", "declaracao"):
        setattr(opcoes, nome, os.path.abspath(getattr(opcoes, nome)))

    inicio = time.monotonic()
    tela = Tela(opcoes.capturas)
    rascunho = os.path.join(os.path.dirname(os.path.abspath(opcoes.capturas)), "rascunho-janela")
    shutil.rmtree(rascunho, ignore_errors=True)
    os.makedirs(rascunho)
    servidor, porta, log_servidor = servidor_de_recepcao(opcoes.servidor, rascunho)
    pasta = os.path.join(rascunho, "trabalho")
    os.makedirs(pasta)
    subprocess.run([opcoes.declaracao, "gerar", "--saida", os.path.join(pasta, ARQUIVO),
                    "--razao-social", f"EMPRESA ACENTUAÇÃO {time.time_ns() % 10**12}"],
                   check=True, stdout=subprocess.DEVNULL, timeout=30)
    env = ambiente_wine(tela)
    apontar_servidor(env, porta)
    with open(os.path.join(rascunho, "zeltanet.log"), "wb") as log:
        app = iniciar([WINE, opcoes.zeltanet], cwd=pasta, env=env, stdout=log, stderr=subprocess.STDOUT)
    if not tela.janela(PRINCIPAL, 60):
        falhar(f"a janela principal não apareceu em 60 s (saída: {app.poll()})")
    tela.capturar("principal")
    transmitir(tela, app, pasta)
    codigo = conferir_historico(pasta, log_servidor)
    pdf_linux = entrega_linux(opcoes.transmitir, porta, pasta, os.path.join(rascunho, "linux"))
    linhas = imprimir_na_fila(tela, app, pdf_linux)
    imprimir_na_fila_recusada(tela, app)
    visualizar_e_voltar(tela, app)
    reimprimir_e_sair(tela, app)
    encerrar(servidor)
    print(f"entrega {codigo} pela janela sob o Wine, Zelta.ret igual ao do Linux, recibo impresso "
          f"({linhas} linhas iguais ao PDF do Linux) em {time.monotonic() - inicio:.1f} s; "
          f"capturas em {opcoes.capturas}")


if __name__ == "__main__":
    executar_teste(principal)
