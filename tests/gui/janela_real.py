"""A real X display for tests that drive ZELTA Net's windows as a person would.

Starts its own Xvfb on a free display, runs programs on it, types keys through xdotool and keeps
screenshots. Everything started here is ended when the test ends, however it ends. Standard
library only.
"""
import atexit
import os
import shutil
import signal
import subprocess
import sys
import time

RITMO = 0.2  # between keys, as a person types; windows are waited for by their state, not by time


class Falha(Exception):
    """The test cannot go on: the message says why."""


def falhar(motivo):
    raise Falha(motivo)


def executar_teste(principal):
    """Runs `principal()`; exit status 0 only when it returned, 1 with the reason otherwise."""
    try:
        principal()
    except Falha as f:
        print(f"FALHOU: {f}", file=sys.stderr)
        sys.exit(1)
    print("OK")


def esperar(condicao, segundos, intervalo=0.1):
    """Polls `condicao` until it returns something true or the time runs out; returns its value."""
    limite = time.monotonic() + segundos
    while True:
        valor = condicao()
        if valor or time.monotonic() >= limite:
            return valor
        time.sleep(intervalo)


# ---- Processes started by the test ----------------------------------------------------------
_processos = []


def iniciar(argumentos, **opcoes):
    """Starts a program in its own process group and remembers it, so it is ended on exit."""
    p = subprocess.Popen(argumentos, start_new_session=True, **opcoes)
    _processos.append(p)
    return p


def encerrar(p, segundos=3):
    """Ends one process started here (and its children), by its own group id."""
    if p.poll() is not None:
        return
    for sinal in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(p.pid, sinal)
        except ProcessLookupError:
            return
        try:
            p.wait(segundos)
            return
        except subprocess.TimeoutExpired:
            pass


def _encerrar_todos():
    for p in reversed(_processos):
        encerrar(p)


atexit.register(_encerrar_todos)
for _s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    signal.signal(_s, lambda n, _f: sys.exit(128 + n))


# ---- Packages ---------------------------------------------------------------------------------
def garantir_pacotes(programas):
    """`programas` maps a program (or file) to the Debian package holding it. Stops with the list
    of the missing packages; scripts/install-deps --tests installs them."""
    faltam = sorted({pac for prog, pac in programas.items()
                     if not (shutil.which(prog) or os.path.exists(prog))})
    if faltam:
        falhar("faltam os pacotes " + " ".join(faltam) + " (instale com scripts/install-deps --tests)")


PACOTES_TELA = {"Xvfb": "xvfb", "xdotool": "xdotool", "import": "imagemagick"}


# ---- The virtual display ----------------------------------------------------------------------
class Tela:
    """An Xvfb display of its own, with xdotool and screenshots on it."""

    def __init__(self, pasta_capturas=None):
        garantir_pacotes(PACOTES_TELA)
        self.capturas = pasta_capturas
        if pasta_capturas:
            shutil.rmtree(pasta_capturas, ignore_errors=True)
            os.makedirs(pasta_capturas)
        self.numero_captura = 0
        for n in list(range(90, 100)) + list(range(100, 200)):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            xvfb = iniciar(["Xvfb", f":{n}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                            "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.display = f":{n}"
            if esperar(lambda: xvfb.poll() is not None or self._responde(), 10):
                if xvfb.poll() is None:
                    self.xvfb = xvfb
                    return
            encerrar(xvfb)  # another run took this number meanwhile: try the next one
        falhar("nenhum display livre entre :90 e :199 para o Xvfb")

    def _responde(self):
        return subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

    def env(self, **extra):
        e = dict(os.environ, DISPLAY=self.display, **extra)
        e.pop("QT_QPA_PLATFORM", None)  # ctest asks for offscreen; these windows are real
        e.pop("WAYLAND_DISPLAY", None)
        return e

    def xdotool(self, *argumentos):
        r = subprocess.run(["xdotool", *argumentos], env=self.env(), capture_output=True,
                           text=True, timeout=15)
        return r.stdout.strip() if r.returncode == 0 else ""

    def janela(self, regex, segundos=10):
        """The id of the one visible window whose title matches `regex` (POSIX ERE); 0 if none."""
        achadas = esperar(lambda: self.xdotool("search", "--onlyvisible", "--name", regex).split(),
                          segundos)
        if not achadas:
            return 0
        if len(achadas) > 1:
            falhar(f"mais de uma janela com o título {regex!r}")
        return int(achadas[0])

    def sumiu(self, regex, segundos=10):
        return esperar(lambda: not self.xdotool("search", "--onlyvisible", "--name", regex), segundos)

    def focar(self, regex, segundos=10):
        """Gives the keyboard to the window: there is no window manager to do it when a dialog closes."""
        wid = self.janela(regex, segundos)
        if not wid:
            falhar(f"a janela {regex!r} não apareceu em {segundos} s")
        # Qt drops keys that come while a window is still opening: wait until it is the active one.
        if not esperar(lambda: self.xdotool("windowfocus", "--sync", str(wid)) is not None
                       and self.xdotool("getwindowfocus") == str(wid), segundos, 0.05):
            falhar(f"a janela {regex!r} não recebeu o foco em {segundos} s")
        return wid

    def teclas(self, *teclas):
        """Types keys one after the other, as a person would."""
        for t in teclas:
            self.xdotool("key", "--clearmodifiers", t)
            time.sleep(RITMO)

    def geometria(self, wid):
        """Position and size of a window: (x, y, width, height)."""
        geo = dict(l.split("=", 1) for l in self.xdotool("getwindowgeometry", "--shell", str(wid)).split())
        return int(geo["X"]), int(geo["Y"]), int(geo["WIDTH"]), int(geo["HEIGHT"])

    def origem(self, wid):
        """Screen position of a window's top-left corner."""
        geo = dict(l.split("=", 1) for l in self.xdotool("getwindowgeometry", "--shell", str(wid)).split())
        return int(geo["X"]), int(geo["Y"])

    def pixels(self, x, y, largura, altura):
        """The screen rectangle as (r, g, b) tuples."""
        r = subprocess.run(["import", "-window", "root", "-crop", f"{largura}x{altura}+{x}+{y}",
                            "-depth", "8", "rgb:-"], env=self.env(), capture_output=True, timeout=30)
        px = r.stdout
        return [tuple(px[i:i + 3]) for i in range(0, len(px) - 2, 3)]

    def tem_foco(self, x, y, largura, altura):
        """Whether the control drawn in this screen rectangle shows the focus frame: Fusion draws
        it in the highlight blue, which nothing else on a button uses; the Windows style (under
        Wine) as a dotted dark line, which no letter makes: a row where dark and light pixels
        alternate for a long stretch."""
        px = self.pixels(x, y, largura, altura)
        if sum(1 for r, _g, b in px if b > 150 and b - r > 80) >= 10:
            return True
        escuro = [max(p) < 90 for p in px]
        for linha in range(altura):
            e = escuro[linha * largura:(linha + 1) * largura]
            if sum(1 for i in range(len(e) - 2) if e[i] and not e[i + 1] and e[i + 2]) >= 15:
                return True
        return False

    def fracao(self, x, y, largura, altura, condicao):
        """The share of the rectangle's pixels for which `condicao((r, g, b))` holds."""
        px = self.pixels(x, y, largura, altura)
        return sum(1 for p in px if condicao(p)) / len(px) if px else 0.0

    def capturar(self, nome):
        """Keeps a screenshot of the whole screen as NN-nome.png; returns its path."""
        if not self.capturas:
            return None
        self.numero_captura += 1
        caminho = os.path.join(self.capturas, f"{self.numero_captura:02d}-{nome}.png")
        subprocess.run(["import", "-window", "root", caminho], env=self.env(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return caminho


def titulo(texto):
    """An exact-title regex for xdotool (POSIX ERE) from plain text."""
    especiais = set(".^$*+?()[]{}|\\")
    return "^" + "".join("\\" + c if c in especiais else c for c in texto) + "$"


# Window titles, ASCII-only where the title has accents (xdotool's regex may not match UTF-8).
PRINCIPAL = titulo("ZELTA Net")
TRANSMITIR = titulo("ZELTA Net - Transmitir pela Internet")
VISUALIZAR = "^ZELTA Net - Visualizar o Recibo de Entrega"
REIMPRIMIR = titulo("ZELTA Net  - Reimprimir Recibo de Entrega")
MENSAGEM = "^ZELTA Net - Transmiss.+o via Internet$"


def abrir_zeltanet(tela, programa, pasta, log, **env_extra):
    """Starts ZELTA Net in `pasta` and waits for its main window. Its per-user settings start empty
    beside `pasta`, so every window opens at its design size."""
    configuracao = os.path.join(pasta, "..", os.path.basename(os.path.abspath(pasta)) + "-configuracao")
    shutil.rmtree(configuracao, ignore_errors=True)
    env_extra.setdefault("XDG_CONFIG_HOME", configuracao)
    p = iniciar([programa], cwd=pasta, env=tela.env(**env_extra), stdout=log, stderr=subprocess.STDOUT)
    if not tela.janela(PRINCIPAL, 20):
        falhar(f"a janela principal não apareceu em 20 s (saída: {p.poll()})")
    return p


def exigir_vivo(p, passo):
    if p.poll() is not None:
        falhar(f"o ZELTA Net terminou (código {p.returncode}) em: {passo}")
