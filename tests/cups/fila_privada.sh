#!/usr/bin/env bash
# Prints the test receipt through a print system of its own (a private cupsd on a socket in a
# temporary folder, a raw queue that discards what it prints) and checks that:
#   - an accepted job is completed, titled by its receipt (tests/cups' other test reads the text);
#   - a queue that refuses jobs (cupsreject) is reported as an unavailable printer;
#   - a job the print system refuses although the queue accepts jobs is reported too.
#   tests/cups/fila_privada.sh PRINT_PROGRAM
# PRINT_PROGRAM prints the test receipt on the queue named by its argument and exits 1 when it
# showed a message. Needs root (cupsd); the system's print system is not touched. Waits are bounded.
set -euo pipefail
falha() { echo "fila_privada: FAILED: $*" >&2; [ -n "${d:-}" ] && tail -n 20 "$d/error_log" >&2 2>/dev/null; exit 1; }

[ $# -eq 1 ] || falha "usage: $0 PRINT_PROGRAM"
programa=$1
[ "$(id -u)" -eq 0 ] || falha "must run as root to start cupsd"
for t in /usr/sbin/cupsd lpadmin lpstat lp cupsreject cupsaccept cupsdisable; do
  command -v "$t" >/dev/null || falha "$t not found (run scripts/install-deps)"
done

# Filters run as user lp: every folder on the way must be open to it.
d=$(mktemp -d /tmp/zelta-cups-XXXXXX)
chmod 755 "$d"
mkdir -p "$d"/{etc,spool,tmp,cache,state}
chmod 755 "$d"/etc "$d"/spool "$d"/cache "$d"/state
chmod 777 "$d"/tmp
pid_cupsd=""
encerrar() {
  if [ -n "$pid_cupsd" ]; then
    kill "$pid_cupsd" 2>/dev/null || true
    wait "$pid_cupsd" 2>/dev/null || true
  fi
  rm -rf "$d"
}
trap encerrar EXIT

cat >"$d/etc/cups-files.conf" <<EOC
ServerRoot $d/etc
RequestRoot $d/spool
TempDir $d/tmp
CacheDir $d/cache
StateDir $d/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
ErrorLog $d/error_log
AccessLog $d/access_log
PageLog $d/page_log
Printcap $d/printcap
User lp
Group lp
SystemGroup root
EOC
cat >"$d/etc/cupsd.conf" <<EOC
Listen $d/cups.sock
LogLevel debug
WebInterface No
# One waiting job fills a queue: the next is refused although the queue accepts jobs.
MaxJobsPerPrinter 1
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOC

/usr/sbin/cupsd -f -c "$d/etc/cupsd.conf" -s "$d/etc/cups-files.conf" >"$d/cupsd.out" 2>&1 &
pid_cupsd=$!
export CUPS_SERVER=$d/cups.sock
for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -qx "scheduler is running" && break; sleep 0.1; done
lpstat -r 2>/dev/null | grep -qx "scheduler is running" || falha "cupsd did not start: $(cat "$d/cupsd.out")"

lpadmin -p ZeltaFila -E -v file:///dev/null -m raw 2>/dev/null || falha "could not add the queue"

imprimir() { QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$programa" ZeltaFila 2>"$d/mensagens"; }

# 1. Accepted: the job is completed, and titled by its receipt.
imprimir || falha "printing on an accepting queue reported a failure: $(cat "$d/mensagens")"
for _ in $(seq 150); do lpstat -W completed -o ZeltaFila 2>/dev/null | grep -q "^ZeltaFila-1 " && break; sleep 0.2; done
lpstat -W completed -o ZeltaFila 2>/dev/null | grep -q "^ZeltaFila-1 " || falha "the job was not completed within 30 s"
# The job's title is the filters' third argument, which cupsd logs at debug level.
grep -aq 'argv\[3\]="Recibo de Entrega 00012345 - CNPJ 12.345.678/0001-90 - 03/2024"' "$d/error_log" \
  || falha "the job is not titled by its receipt"

# 2. The queue refuses jobs: the printer is reported unavailable.
cupsreject ZeltaFila
if imprimir; then falha "a refusing queue was reported as printed"; fi
grep -q "A impressora escolhida não se encontra disponível." "$d/mensagens" || falha "no unavailable-printer message: $(cat "$d/mensagens")"

# 3. The queue accepts jobs, but the print system refuses this one: the queue is stopped and
#    already holds as many jobs as it may.
cupsaccept ZeltaFila
cupsdisable ZeltaFila
echo espera | lp -d ZeltaFila >/dev/null || falha "could not queue the waiting job"
if imprimir; then falha "a refused job was reported as printed"; fi
grep -q "A impressora escolhida não se encontra disponível." "$d/mensagens" || falha "no unavailable-printer message: $(cat "$d/mensagens")"

echo "fila_privada: accepted, refusing-queue and refused-job cases behave"
