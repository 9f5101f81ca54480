"""What a screen reader finds in ZELTA Net, read through the real accessibility bus (AT-SPI).

Starts its own Xvfb, a session bus and the accessibility bus, runs the real `zeltanet` with Qt's
accessibility switched on, types on the keyboard as a person would, and walks the accessible tree:
the main window's menus, the transmit window's controls, a message box's text, the reprint
window's grid cells and code box, and the receipt preview's labels. Every control that takes the
focus must carry a name. Fails with the reason when a bus cannot be started.
"""
import argparse
import os
import select
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from janela_real import (PACOTES_TELA, PRINCIPAL, REIMPRIMIR, TRANSMITIR, Tela, abrir_zeltanet,  # noqa: E402
                         esperar, executar_teste, falhar, garantir_pacotes, iniciar, titulo)

LANCADOR = "/usr/libexec/at-spi-bus-launcher"
PACOTES = dict(PACOTES_TELA, **{"dbus-daemon": "dbus", "dbus-send": "dbus", LANCADOR: "at-spi2-core",
                                "/usr/lib/python3/dist-packages/pyatspi/__init__.py": "python3-pyatspi"})

# Two history entries, oldest first: a movement file with a CNPJ and an adjustment file with a CEI.
REGISTROS = [
    "20240305" "1" "   TESTE.MOV" "00000042" "1" "12345678000190" + "EMPRESA ACESSIVEL LTDA".ljust(35)
    + "RUA DAS FLORES, 100".ljust(40) + "01001000" "SP" "03" "2024"
    + "     1" "     3" "     5" "     0" "     0" "140709" "00000042",
    "20240410" "2" "  AJUSTE.ACE" "00000043" "2" "00123456789012" + "OBRA ACESSIVEL".ljust(35)
    + "AVENIDA CENTRAL, 5".ljust(40) + "20040002" "RJ" "03" "2024"
    + "     2" "     3" "     0" "     0" "     0" "083000" "00000043",
]
CELULAS = [
    ["05/03/2024 às 14:07:09", "   TESTE.MOV", "ZELTA", "00000042", "CNPJ: 12.345.678/0001-90", "03/2024"],
    ["10/04/2024 às 08:30:00", "  AJUSTE.ACE", "ACERTO", "00000043", "CEI: 12.345.678.901-2", ""],
]
CABECALHOS = ["Transmitido em:", "Arquivo", "Tipo Arquivo", "Cod. Retorno", "Identificador", "Competência"]
MENSAGEM_01 = "01 - Você deve selecionar um arquivo antes de executar esta opção!"


def escrever_historico(pasta):
    with open(os.path.join(pasta, "Zelta.ret"), "wb") as f:
        for r in REGISTROS:
            assert len(r) == 179
            f.write(bytes(b + 10 for b in r.encode("cp1252")) + b"\r\n")


# ---- The buses ----------------------------------------------------------------------------------
def iniciar_barramentos():
    """A session bus of its own and the accessibility bus announced on it."""
    daemon = iniciar(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    pronto, _, _ = select.select([daemon.stdout], [], [], 10)
    endereco = daemon.stdout.readline().decode().strip() if pronto else ""
    if not endereco:
        falhar("o barramento de sessão (dbus-daemon --session) não informou seu endereço em 10 s")
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = endereco
    iniciar([LANCADOR, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pergunta = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                "org.a11y.Bus.GetAddress"]
    if not esperar(lambda: subprocess.run(pergunta, capture_output=True, timeout=5).returncode == 0, 10, 0.2):
        falhar("o barramento de acessibilidade (at-spi-bus-launcher) não respondeu em 10 s")


# ---- The accessible tree --------------------------------------------------------------------------
def filhos(a):
    try:
        a.clear_cache()  # no event loop runs here, so the cached tree would go stale
        return [c for c in (a.getChildAtIndex(i) for i in range(a.childCount)) if c is not None]
    except Exception:  # a window closed while it was being read
        return []


def descendentes(a, profundidade=15):
    for c in filhos(a):
        yield c
        if profundidade > 0:
            yield from descendentes(c, profundidade - 1)


def papel(a):
    return a.getRoleName()


def diz(a, nome):
    """Whether the control tells a listener it is `nome`. A list box (combo box) carries its chosen
    entry as its name, as Qt does on Linux, so what it is comes in its description."""
    return a.name == nome or (papel(a) == "combo box" and a.description == nome)


def achar(raiz, papel_, nome, segundos=10):
    """The first accessible below `raiz` with this role that says it is `nome`, waiting for it."""
    achado = esperar(lambda: next((a for a in descendentes(raiz) if papel(a) == papel_ and diz(a, nome)),
                                  None), segundos, 0.2)
    if achado is None:
        falhar(f"nenhum [{papel_}] chamado {nome!r}; há: {resumo(raiz)}")
    return achado


def resumo(raiz):
    return ", ".join(f"[{papel(a)}] {a.name!r}" + (f" ({a.description!r})" if a.description else "")
                     for a in descendentes(raiz, 6))


def mostrado(a):
    import pyatspi
    return a.getState().contains(pyatspi.STATE_SHOWING)


def exigir_nomes(janela, onde):
    """Every control that takes the keyboard focus and is on show has a name to be read out."""
    import pyatspi
    sem_nome = [papel(a) for a in descendentes(janela)
                if a.getState().contains(pyatspi.STATE_FOCUSABLE) and mostrado(a)
                and papel(a) not in ("list item", "table cell", "menu item")
                and not (a.name.strip() if papel(a) != "combo box" else a.description.strip())]
    if sem_nome:
        falhar(f"{onde}: controles sem nome acessível: {sem_nome}")


def texto(a):
    t = a.queryText()
    return t.getText(0, t.characterCount)


def aplicacao(registro, segundos=20):
    d = registro.getDesktop(0)
    app = esperar(lambda: next((a for a in filhos(d) if a.name == "ZELTA Net"), None), segundos, 0.3)
    if app is None:
        falhar("o ZELTA Net não apareceu no barramento de acessibilidade")
    return app


# ---- The windows --------------------------------------------------------------------------------
def janela_principal(app):
    quadro = achar(app, "frame", "ZELTA Net")
    for nome in ("Ação", "Transmitir Pela Internet", "Reimprimir Recibo de Transmissão", "Sair",
                 "Ajuda", "Manual do Usuário", "Suporte Técnico", "Sobre..."):
        achar(quadro, "menu item", nome)


def janela_transmitir(tela, app):
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "t")
    tela.focar(TRANSMITIR)
    janela = achar(app, "dialog", "ZELTA Net - Transmitir pela Internet")
    for p, nome in (("text", "Filtro de arquivos"), ("list", "Pastas"), ("list", "Arquivos"),
                    ("combo box", "Unidades de disco"), ("label", "Arquivos:"), ("push button", "Transmitir"),
                    ("push button", "Voltar")):
        achar(janela, p, nome)
    if texto(achar(janela, "text", "Filtro de arquivos")) != "*.m*":
        falhar("o filtro de arquivos não lê \"*.m*\"")
    achar(achar(janela, "list", "Arquivos"), "list item", "VAZIO.MOV")
    exigir_nomes(janela, "janela de transmissão")

    # With no file picked, Transmitir says why; the box's text must be readable.
    tela.teclas("alt+t")
    caixa = esperar(lambda: next((a for a in filhos(app) if a.name == "ZELTA Net - Transmissão via Internet"),
                                 None), 10, 0.2)
    if caixa is None:
        falhar("a mensagem 01 não apareceu no barramento de acessibilidade")
    if not any(MENSAGEM_01 in (a.name or "") for a in descendentes(caixa)):
        falhar(f"o texto da mensagem 01 não se lê na caixa; há: {resumo(caixa)}")
    achar(caixa, "push button", "OK")
    tela.teclas("Return")
    tela.focar(TRANSMITIR)
    tela.teclas("alt+v")
    if not tela.sumiu(TRANSMITIR):
        falhar("&Voltar não fechou a janela de transmissão")


def janela_reimprimir(tela, app):
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "r")
    tela.focar(REIMPRIMIR)
    janela = achar(app, "dialog", "ZELTA Net  - Reimprimir Recibo de Entrega")
    for p, nome in (("label", "Selecione uma das transmissões abaixo:"),
                    ("label", "Código do Recebimento selecionado:"), ("label", "Impressora:"),
                    ("text", "Código do Recebimento selecionado"), ("combo box", "Impressora do recibo"),
                    ("push button", "Visualizar"), ("push button", "Imprimir"), ("push button", "Voltar")):
        achar(janela, p, nome)
    grade = achar(janela, "table", "Transmissões anteriores")
    tabela = grade.queryTable()
    if (tabela.nRows, tabela.nColumns) != (len(CELULAS), 6):
        falhar(f"a grade tem {tabela.nRows} x {tabela.nColumns} células; esperava {len(CELULAS)} x 6")
    cabecalhos = [tabela.getColumnHeader(c).name for c in range(6)]
    if cabecalhos != CABECALHOS:
        falhar(f"cabeçalhos da grade: {cabecalhos}")
    lidas = [[tabela.getAccessibleAt(r, c).name for c in range(6)] for r in range(tabela.nRows)]
    if lidas != CELULAS:
        falhar(f"células da grade: {lidas}")
    exigir_nomes(janela, "janela de reimpressão")

    # Tab from "&Voltar" enters the grid, which picks its first row: the code box reads it.
    tela.teclas("Tab")
    codigo = achar(janela, "text", "Código do Recebimento selecionado")
    if esperar(lambda: texto(codigo) == "00000042", 5, 0.2) is False:
        falhar(f"a caixa do código lê {texto(codigo)!r} depois de escolher a primeira linha")
    return janela


def busca_sem_resultado(janela):
    """A search that finds nothing: the grid reads empty with its column headers, the search box's
    clear button says what it does and empties the box again."""
    localizar = achar(janela, "text", "Localizar")
    localizar.queryEditableText().setTextContents("NADA ASSIM")
    grade = achar(janela, "table", "Transmissões anteriores")
    if esperar(lambda: grade.queryTable().nRows == 0, 10, 0.2) is False:
        falhar("a busca sem resultado não esvaziou a grade")
    tabela = grade.queryTable()
    tabela.getColumnHeader(0)  # what a reader asks of a table; Qt finds no cell to answer from
    cabecalhos = [a.name for a in filhos(grade) if papel(a) == "table column header"]
    if cabecalhos != CABECALHOS:
        falhar(f"cabeçalhos da grade vazia: {cabecalhos}")
    limpar = achar(janela, "push button", "Limpar a busca")
    limpar.queryAction().doAction(0)
    if esperar(lambda: texto(localizar) == "" and grade.queryTable().nRows == len(CELULAS), 10, 0.2) is False:
        falhar("o botão \"Limpar a busca\" não devolveu a lista")


def janela_ajuda(tela, app):
    """The manual is a window (frame) of its own, not a filler."""
    tela.focar(PRINCIPAL)
    tela.teclas("alt+j", "m")
    ajuda = achar(app, "frame", "ZELTA Net - Ajuda")
    achar(ajuda, "push button", "Fechar")
    tela.focar(titulo("ZELTA Net - Ajuda"))
    tela.teclas("Escape")
    if not tela.sumiu(titulo("ZELTA Net - Ajuda")):
        falhar("Esc não fechou o manual")


def visualizar(tela, app, reimprimir):
    import pyatspi
    # "&Visualizar" and "&Voltar" share Alt+V: the key moves the focus between them without pressing.
    botao = achar(reimprimir, "push button", "Visualizar")
    for _ in range(3):
        tela.teclas("alt+v")
        if botao.getState().contains(pyatspi.STATE_FOCUSED):
            break
    else:
        falhar("Alt+V não levou o foco a Visualizar")
    tela.teclas("space")
    janela = achar(app, "dialog", "ZELTA Net - Visualizar o Recibo de Entrega do Meio Magnético")
    rotulos = {a.name.strip() for a in descendentes(janela) if papel(a) == "label"}
    for esperado in ("Código do Recebimento: 00000042", "05/03/2024 às 14:07:09", "Referência: Março de 2024",
                     "CNPJ: 12.345.678/0001-90 - EMPRESA ACESSIVEL LTDA", "Arquivo ZELTA"):
        if esperado not in rotulos:
            falhar(f"a visualização não lê {esperado!r}; lê {sorted(rotulos)}")
    achar(janela, "push button", "Ok")
    exigir_nomes(janela, "visualização")
    tela.focar("^ZELTA Net - Visualizar o Recibo")
    tela.teclas("alt+o")


def principal():
    a = argparse.ArgumentParser()
    a.add_argument("--zeltanet", required=True)
    a.add_argument("--pasta", required=True)
    opcoes = a.parse_args()

    garantir_pacotes(PACOTES)
    tela = Tela()
    iniciar_barramentos()
    try:  # only now: it reads the session bus's address when it first connects
        import pyatspi
    except ImportError as e:
        falhar(f"pyatspi não se carrega neste Python ({sys.executable}): {e}")
    pasta = os.path.abspath(opcoes.pasta)
    os.makedirs(pasta, exist_ok=True)
    for nome in os.listdir(pasta):
        os.remove(os.path.join(pasta, nome))
    escrever_historico(pasta)
    open(os.path.join(pasta, "VAZIO.MOV"), "wb").close()

    inicio = time.monotonic()
    with open(os.path.join(pasta, "..", "zeltanet-acessibilidade.log"), "wb") as log:
        zeltanet = abrir_zeltanet(tela, opcoes.zeltanet, pasta, log, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                  DBUS_SESSION_BUS_ADDRESS=os.environ["DBUS_SESSION_BUS_ADDRESS"])
    app = aplicacao(pyatspi.Registry)
    janela_principal(app)
    janela_transmitir(tela, app)
    reimprimir = janela_reimprimir(tela, app)
    visualizar(tela, app, reimprimir)
    busca_sem_resultado(reimprimir)
    tela.focar(REIMPRIMIR)
    tela.teclas("Escape")
    janela_ajuda(tela, app)
    tela.focar(PRINCIPAL)
    tela.teclas("alt+a", "s")
    try:
        zeltanet.wait(10)
    except subprocess.TimeoutExpired:
        falhar("&Sair não terminou o programa em 10 s")
    # Qt's own warnings about what the reader asked (an empty grid's headers among them).
    with open(os.path.join(pasta, "..", "zeltanet-acessibilidade.log"), encoding="utf-8", errors="replace") as f:
        avisos = [linha.strip() for linha in f if "QAccessible" in linha]
    if avisos:
        falhar(f"avisos de acessibilidade na saída do programa: {avisos[:3]}")
    print(f"árvore de acessibilidade conferida em {time.monotonic() - inicio:.1f} s")


if __name__ == "__main__":
    executar_teste(principal)
