"""One whole delivery through the real windows, typed on the keyboard as a person would.

The real `zeltanet` runs on its own Xvfb display, in a scratch folder holding a sample declaration,
against the local reception server on port 2500 (the program's fixed port). The test transmits the
file, previews the receipt, goes back, opens the reprint window and ends the program with "&Sair",
keeping a screenshot of every step.
"""
import argparse
import os
import re
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from janela_real import (MENSAGEM, PRINCIPAL, REIMPRIMIR, TRANSMITIR, VISUALIZAR, Tela,  # noqa: E402
                         abrir_zeltanet, encerrar, esperar, executar_teste, exigir_vivo, falhar, iniciar,
                         titulo)

GRAVAR_PDF = titulo("Gravar o recibo em arquivo PDF")
LOTE = "^ZELTA Net - Transmitir V.+rios Arquivos$"
PASTA_DOS_ARQUIVOS = titulo("Pasta dos arquivos")

PORTA = 2500
ARQUIVO = "TESTE.MOV"
TAMANHO_LINHA = 181  # 179 record bytes + CR LF
ARQUIVOS_LOTE = ("LOTE1.MOV", "LOTE2.MOV")
# "Visualizar" in the receipt state: left 1920, top 4680, 1000 x 375 twips, in pixels at 96 dpi.
BOTAO_VISUALIZAR = (128, 312, 67, 25)
# Inside the progress box (left 50, top 3350, 3855 x 285 twips), clear of its frame.
DENTRO_PERCENTUAL = (8, 226, 240, 13)


def sondar_servidor():
    """Whether whatever listens on port 2500 speaks the block protocol: one intermediate block
    must be answered "OK". Returns None when nothing listens there."""
    try:
        s = socket.create_connection(("127.0.0.1", PORTA), timeout=5)
    except OSError:
        return None
    with s:
        cabecalho = b"1" + b"SONDA.MOV".rjust(12) + b"00001" + b"00002"
        try:
            s.sendall(cabecalho + b"\0" * 1000)
            resposta = s.recv(16)
        except OSError as e:
            return f"não respondeu ao protocolo ({e})"
    return True if resposta == b"OK" else f"respondeu {resposta!r} a um bloco intermediário"


def servidor_de_recepcao(programa, pasta):
    """Starts the local reception server on port 2500, or uses the one already there when it
    answers the protocol. Returns (process or None, path of its log)."""
    situacao = sondar_servidor()
    if situacao is True:
        print("usando o servidor de recepção que já escuta na porta 2500")
        return None, None
    if situacao is not None:
        falhar(f"a porta {PORTA} está ocupada por algo que não é um servidor de recepção: {situacao}")
    log = os.path.join(pasta, "servidor.log")
    with open(log, "wb") as saida:
        p = iniciar([programa, "--porta", str(PORTA), "--dados", os.path.join(pasta, "dados")],
                    stdout=saida, stderr=subprocess.STDOUT)
    if not esperar(lambda: p.poll() is not None or sondar_servidor() is not None, 10) or p.poll() is not None:
        falhar(f"o servidor de recepção não abriu a porta {PORTA}: " + open(log, errors="replace").read())
    return p, log


def conferir_historico(pasta, log_servidor):
    """The history holds exactly one entry: the sample file, with the code the server gave."""
    with open(os.path.join(pasta, "Zelta.ret"), "rb") as f:
        dados = f.read()
    if len(dados) != TAMANHO_LINHA or not dados.endswith(b"\r\n"):
        falhar(f"Zelta.ret deveria ter uma linha de {TAMANHO_LINHA} bytes; tem {len(dados)} bytes: {dados!r}")
    registro = bytes(b - 10 for b in dados[:-2])
    nome, codigo = registro[9:21], registro[21:29]
    if registro[8:9] != b"1" or nome != ARQUIVO.encode().rjust(12) or not codigo.isdigit():
        falhar(f"registro do recibo inesperado: {registro!r}")
    if log_servidor:
        m = re.search(r"recebido com o código (\d+)", open(log_servidor, errors="replace").read())
        if not m or int(m.group(1)) != int(codigo):
            falhar(f"o código {codigo!r} do histórico não é o que o servidor deu: {m and m.group(0)}")
    return codigo.decode()


def transmitir(tela, app, pasta):
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a")
    tela.capturar("menu-acao")
    tela.teclas("t")
    tela.focar(TRANSMITIR)
    tela.capturar("janela-transmitir")
    # Nothing chosen yet: message 01, after which the keyboard is on the file list, where the
    # first Down arrow picks the first file.
    tela.teclas("alt+t")
    if not tela.janela(MENSAGEM, 10):
        falhar("a mensagem 01 não apareceu ao transmitir sem arquivo escolhido")
    tela.capturar("mensagem-01")
    tela.focar(MENSAGEM)
    tela.teclas("Return")
    if not tela.sumiu(MENSAGEM):
        falhar("Enter não fechou a mensagem 01")
    tela.focar(TRANSMITIR)
    tela.teclas("Down")
    tela.capturar("arquivo-escolhido")
    tela.teclas("alt+t")
    if not tela.janela(MENSAGEM, 10):
        falhar("a confirmação 03 não apareceu depois de Transmitir")
    tela.capturar("confirmacao-03")
    tela.focar(MENSAGEM)
    tela.teclas("s")
    if not tela.sumiu(MENSAGEM, 5):
        falhar("a mensagem depois de Transmitir não era a confirmação 03 (o foco não voltou à lista "
               "de arquivos depois da mensagem 01?)")

    historico = os.path.join(pasta, "Zelta.ret")
    # The window lives during the protocol's pauses (3 s after the block, then 5 s before the
    # first poll): the part the confirmation covered is painted again and the progress box shows
    # its text (white ground, dark letters) while the reply is still awaited.
    wid = tela.focar(TRANSMITIR)
    altura_envio = tela.geometria(wid)[3]
    x, y = tela.origem(wid)
    caixa = (x + DENTRO_PERCENTUAL[0], y + DENTRO_PERCENTUAL[1], DENTRO_PERCENTUAL[2], DENTRO_PERCENTUAL[3])
    branco = letras = 0.0

    def pintada():
        nonlocal branco, letras
        branco = tela.fracao(*caixa, lambda p: min(p) > 250)
        letras = tela.fracao(*caixa, lambda p: max(p) < 110)
        return branco >= 0.5 and letras >= 0.005

    pintada_a_tempo = esperar(lambda: pintada() and not os.path.exists(os.path.join(pasta, "Zelta.ret")), 6, 0.2)
    tela.capturar("transmitindo")
    if not pintada_a_tempo:
        falhar(f"a janela não foi pintada durante a pausa (caixa de progresso: {branco:.0%} branca, "
               f"{letras:.1%} de letras; veja a captura 'transmitindo')")
    # Keys typed during the upload do nothing, then or later: not Escape, not "&Voltar".
    tela.teclas("Escape", "alt+v")
    exigir_vivo(app, "as teclas durante a transmissão")
    if not tela.janela(TRANSMITIR, 0):
        falhar("uma tecla apertada durante a transmissão fechou a janela")
    # One block takes 8-10 s because of the protocol's pauses.
    if not esperar(lambda: os.path.exists(historico) or app.poll() is not None
                   or not tela.janela(TRANSMITIR, 0) or tela.janela(MENSAGEM, 0), 40, 0.5):
        falhar("nenhum recibo em 40 s")
    exigir_vivo(app, "a transmissão")
    if not os.path.exists(historico):
        tela.capturar("falha-transmissao")
        falhar("a transmissão terminou sem recibo (veja a última captura)")
    # The receipt state follows the history line: the window takes its receipt-state height.
    if not esperar(lambda: tela.janela(TRANSMITIR, 0) and tela.geometria(wid)[3] != altura_envio, 10):
        tela.capturar("sem-estado-recibo")
        falhar("a janela não entrou no estado de recibo depois da entrega")
    tela.capturar("estado-recibo")
    if not tela.janela(TRANSMITIR, 0):
        falhar("a janela fechou depois da entrega: uma tecla apertada durante a transmissão agiu no fim")


def imprimir_da_lista(tela, tecla):
    """Closes message 14 ("Informe a impressora"), which leaves the keyboard on the printer list,
    picks an entry there with `tecla` and prints."""
    tela.focar(MENSAGEM)
    tela.teclas("Return")
    if not tela.sumiu(MENSAGEM):
        falhar("Enter não fechou a mensagem 14")
    tela.focar(TRANSMITIR)
    tela.teclas(tecla, "alt+i")


def gravar_pdf(tela, app, pasta, codigo):
    """With no printer installed, "&Imprimir" gives message 14 and leaves the keyboard on the
    printer list, whose last entry saves the receipt as a PDF file under Recibos/."""
    tela.focar(TRANSMITIR)
    tela.teclas("alt+i")
    if not tela.janela(MENSAGEM, 10):
        falhar("a mensagem 14 não apareceu ao imprimir sem impressora")
    imprimir_da_lista(tela, "End")
    if not tela.janela(GRAVAR_PDF, 10):
        tela.capturar("sem-dialogo-pdf")
        falhar("escolher \"Arquivo PDF...\" e Imprimir não abriu a janela de gravação")
    tela.capturar("gravar-pdf")
    tela.focar(GRAVAR_PDF)
    tela.teclas("Return")  # the suggested folder and name
    recibos = os.path.join(pasta, "Recibos")
    achados = esperar(lambda: [n for n in os.listdir(recibos) if n.endswith(".pdf")]
                      if os.path.isdir(recibos) and tela.sumiu(GRAVAR_PDF, 0) else [], 10)
    exigir_vivo(app, "a gravação do PDF")
    if len(achados) != 1 or not achados[0].endswith(f"-{codigo}.pdf"):
        falhar(f"Recibos/ deveria ter um PDF terminado em -{codigo}.pdf; tem {achados}")
    caminho = os.path.join(recibos, achados[0])
    texto = esperar(lambda: subprocess.run(["pdftotext", "-layout", caminho, "-"], capture_output=True,
                                           text=True, timeout=30).stdout, 5)
    if f"Código do Recebimento: {codigo}" not in texto:
        falhar(f"o PDF gravado não traz o código {codigo}")


def visualizar_e_voltar(tela, app):
    # Without a window manager the keyboard goes nowhere once the confirmation closed: give it
    # back. "Visualizar" has no access letter and the transmission disabled whatever had the
    # focus, so Tab on, as a person would, until its focus frame shows.
    wid = tela.focar(TRANSMITIR)
    x, y = tela.origem(wid)
    botao = (x + BOTAO_VISUALIZAR[0], y + BOTAO_VISUALIZAR[1], BOTAO_VISUALIZAR[2], BOTAO_VISUALIZAR[3])
    for _ in range(6):
        if tela.tem_foco(*botao):
            break
        tela.teclas("Tab")
    else:
        tela.capturar("foco-perdido")
        falhar("o foco não chegou ao botão Visualizar com Tab")
    tela.teclas("space")
    if not tela.janela(VISUALIZAR, 10):
        tela.capturar("sem-visualizar")
        falhar("o botão Visualizar não abriu o recibo na tela")
    tela.capturar("visualizar")
    tela.focar(VISUALIZAR)
    tela.teclas("alt+o")
    if not tela.sumiu(VISUALIZAR):
        falhar("&Ok não fechou a visualização")
    tela.focar(TRANSMITIR)
    tela.teclas("alt+v")
    if not tela.sumiu(TRANSMITIR):
        falhar("&Voltar não fechou a janela de transmissão")
    exigir_vivo(app, "a volta à janela principal")
    tela.capturar("principal-de-novo")


def linhas_do_historico(pasta):
    try:
        with open(os.path.join(pasta, "Zelta.ret"), "rb") as f:
            return len(f.read()) // TAMANHO_LINHA
    except FileNotFoundError:
        return 0


def conferir_codigos_do_lote(pasta, log_servidor):
    """Each batch file's receipt record carries the code the server gave that very file."""
    dados = {m.group(1): int(m.group(2)) for m in re.finditer(
        r"(\S+) \(\d+ blocos\): recebido com o código (\d+)", open(log_servidor, errors="replace").read())}
    with open(os.path.join(pasta, "Zelta.ret"), "rb") as f:
        historico = f.read()
    for i in range(0, len(historico), TAMANHO_LINHA):
        registro = bytes(b - 10 for b in historico[i:i + TAMANHO_LINHA - 2])
        nome, codigo = registro[9:21].decode().strip(), int(registro[21:29])
        if dados.get(nome) != codigo:
            falhar(f"{nome}: o histórico tem o código {codigo}; o servidor deu {dados.get(nome)}")


def transmitir_lote(tela, app, pasta, declaracao, log_servidor):
    """Two new declarations beside the one already delivered, sent from the batch window: the
    delivered one comes back as delivered before, the two new ones add their receipts."""
    for nome in ARQUIVOS_LOTE:
        subprocess.run([declaracao, "gerar", "--saida", os.path.join(pasta, nome),
                        "--razao-social", f"EMPRESA LOTE {nome} {time.time_ns() % 10**12}"],
                       check=True, stdout=subprocess.DEVNULL, timeout=30)
    antes = linhas_do_historico(pasta)
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "v")
    tela.focar(LOTE)
    tela.capturar("lote")
    tela.teclas("alt+e")
    tela.focar(PASTA_DOS_ARQUIVOS)
    # The chooser's name box has the keyboard: a whole path there opens that folder.
    tela.xdotool("type", "--delay", "20", os.path.abspath(pasta))
    tela.teclas("Return")
    if not tela.sumiu(PASTA_DOS_ARQUIVOS):
        tela.capturar("pasta-nao-escolhida")
        falhar("Enter não escolheu a pasta no diálogo \"Pasta dos arquivos\"")
    tela.focar(LOTE)
    time.sleep(2)  # the folder's summaries come from a reader thread
    tela.capturar("lote-pasta-lida")
    tela.teclas("alt+t")
    if not tela.janela(MENSAGEM, 10):
        falhar("a confirmação 03 não apareceu ao transmitir o lote")
    tela.focar(MENSAGEM)
    tela.teclas("s")
    esperado = antes + len(ARQUIVOS_LOTE)
    if not esperar(lambda: linhas_do_historico(pasta) >= esperado, 60):
        tela.capturar("lote-sem-recibos")
        falhar(f"o lote não gravou {len(ARQUIVOS_LOTE)} recibos em 60 s "
               f"({linhas_do_historico(pasta) - antes} gravados)")
    time.sleep(1)
    exigir_vivo(app, "o lote")
    tela.capturar("lote-entregue")
    if linhas_do_historico(pasta) != esperado:
        falhar(f"o lote gravou {linhas_do_historico(pasta) - antes} recibos; esperados "
               f"{len(ARQUIVOS_LOTE)} (o arquivo já entregue não deve ser gravado de novo)")
    if log_servidor:
        conferir_codigos_do_lote(pasta, log_servidor)
    tela.focar(LOTE)
    tela.teclas("alt+s")
    if not tela.sumiu(LOTE):
        falhar("&Sair não fechou a janela do lote")


def reimprimir_e_sair(tela, app):
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a")
    tela.capturar("menu-com-reimprimir")
    tela.teclas("r")
    if not tela.janela(REIMPRIMIR, 10):
        tela.capturar("sem-reimprimir")
        falhar("o item Reimprimir não abriu a janela de reimpressão (estava desabilitado?)")
    tela.capturar("reimprimir")
    # From "&Voltar", Tab enters the grid, which picks its first row.
    tela.focar(REIMPRIMIR)
    tela.teclas("Tab")
    tela.capturar("linha-escolhida")
    tela.teclas("Escape")
    if not tela.sumiu(REIMPRIMIR):
        falhar("Esc não fechou a janela de reimpressão")
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "s")
    try:
        app.wait(10)
    except subprocess.TimeoutExpired:
        falhar("&Sair não terminou o programa em 10 s")
    if app.returncode != 0:
        falhar(f"o programa terminou com o código {app.returncode}")


def principal():
    a = argparse.ArgumentParser()
    a.add_argument("--zeltanet", required=True)
    a.add_argument("--servidor", required=True)
    a.add_argument("--declaracao", required=True)
    a.add_argument("--capturas", required=True)
    opcoes = a.parse_args()

    inicio = time.monotonic()
    tela = Tela(opcoes.capturas)
    # Kept after the run (beside the screenshots) for the logs; cleared at the next one.
    rascunho = os.path.join(os.path.dirname(os.path.abspath(opcoes.capturas)), "rascunho")
    shutil.rmtree(rascunho, ignore_errors=True)
    os.makedirs(rascunho)
    servidor, log_servidor = servidor_de_recepcao(opcoes.servidor, rascunho)
    pasta = os.path.join(rascunho, "trabalho")
    os.makedirs(pasta)
    # A name of its own, so a server that keeps its history never sees these bytes twice.
    subprocess.run([opcoes.declaracao, "gerar", "--saida", os.path.join(pasta, ARQUIVO),
                    "--razao-social", f"EMPRESA TESTE {time.time_ns() % 10**12}"],
                   check=True, stdout=subprocess.DEVNULL, timeout=30)
    with open(os.path.join(rascunho, "zeltanet.log"), "wb") as log:
        # No printer, whatever the machine has: the PDF entry is then the list's only one.
        app = abrir_zeltanet(tela, opcoes.zeltanet, pasta, log,
                             CUPS_SERVER=os.path.join(rascunho, "sem-cups.sock"))
    tela.capturar("principal")
    transmitir(tela, app, pasta)
    codigo = conferir_historico(pasta, log_servidor)
    gravar_pdf(tela, app, pasta, codigo)
    visualizar_e_voltar(tela, app)
    conferir_historico(pasta, log_servidor)  # previewing wrote nothing
    transmitir_lote(tela, app, pasta, opcoes.declaracao, log_servidor)
    reimprimir_e_sair(tela, app)
    if servidor:
        encerrar(servidor)
    print(f"entrega {codigo} feita, visualizada e listada em {time.monotonic() - inicio:.1f} s; "
          f"capturas em {opcoes.capturas}")


if __name__ == "__main__":
    executar_teste(principal)
