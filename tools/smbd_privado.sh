# Sourced by the scripts that start a private smbd: the part of its configuration that keeps
# every file the server writes (databases, locks, logs, pid) inside one temporary folder and
# turns printing off, so that it never touches the machine's own Samba state.
carpetas_smbd() {
  local d=$1
  cat <<CONF
  map to guest = Bad User
  passdb backend = tdbsam:$d/private/passdb.tdb
  load printers = no
  disable spoolss = yes
  printing = bsd
  printcap name = /dev/null
  private dir = $d/private
  lock directory = $d/lock
  state directory = $d/state
  cache directory = $d/cache
  pid directory = $d/pid
  ncalrpc dir = $d/ncalrpc
  log file = $d/log/log.%m
  log level = 1
  unix charset = UTF-8
CONF
}
