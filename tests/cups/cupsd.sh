# Starts a private CUPS scheduler with one cups-pdf queue for the spooler test
# (sourced by setup.sh). The scheduler has its own configuration, spool and
# log folders under /tmp and listens only on its own local socket, so the
# machine's own printing is never touched. When it runs, these are exported:
#   CUPS_SERVER               the private scheduler's socket
#   VELLORA_TEST_CUPS_QUEUE   the cups-pdf queue ("VelloraTestPDF")
#   VELLORA_TEST_CUPS_OUTPUT  the folder cups-pdf writes its PDF files to
# Otherwise start_test_cupsd says why on standard error, returns 1, and the
# spooler test reports a skip.

vellora_cups_dir=""
vellora_cups_pid=""
vellora_cups_pdf_conf=/etc/cups/cups-pdf-VelloraTestPDF.conf
vellora_cups_pdf_marker="# Settings of Vellora's private test queue; removed when its scheduler stops."

start_test_cupsd() {
  local cupsd lpadmin ppd dir
  cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
  lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)
  if [[ ! -x $cupsd || ! -x $lpadmin ]]; then
    echo "cupsd: CUPS is not installed" >&2
    return 1
  fi
  if [[ ! -e /usr/lib/cups/backend/cups-pdf || ! -d ${vellora_cups_pdf_conf%/*} ]]; then
    echo "cupsd: the cups-pdf backend is not installed" >&2
    return 1
  fi
  if [[ $(id -u) -ne 0 ]]; then
    echo "cupsd: the cups-pdf backend only runs for a scheduler started as root" >&2
    return 1
  fi
  ppd=""
  for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd; do
    if [[ -f $candidate ]]; then ppd=$candidate; break; fi
  done
  if [[ -z $ppd ]]; then
    echo "cupsd: no cups-pdf PPD under /usr/share/ppd/cups-pdf/" >&2
    return 1
  fi

  dir=$(mktemp -d /tmp/vellora-cups.XXXXXX) || return 1
  mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/out"
  # Filters run as lp: they must reach the spool and the output folder.
  chmod 755 "$dir"
  chmod 1777 "$dir/spool/tmp" "$dir/out"

  cat >"$dir/etc/cupsd.conf" <<EOF
Listen $dir/cups.sock
LogLevel warn
MaxLogSize 0
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root
Sandboxing Relaxed
EOF
  # cups-pdf reads its settings from a fixed folder, with one file per queue
  # beside the machine's own: the test queue gets its own file, removed again
  # by stop_test_cupsd. A file of that name that is not ours is left alone.
  if [[ -e $vellora_cups_pdf_conf ]] && ! grep -qF "$vellora_cups_pdf_marker" "$vellora_cups_pdf_conf"; then
    echo "cupsd: $vellora_cups_pdf_conf exists and is not the test's own" >&2
    rm -rf "$dir"
    return 1
  fi
  mkdir -p "$dir/spool/cups-pdf"
  chmod 1777 "$dir/spool/cups-pdf"
  cat >"$vellora_cups_pdf_conf" <<EOF
$vellora_cups_pdf_marker
Out $dir/out
AnonDirName $dir/out
Spool $dir/spool/cups-pdf
Log $dir/log
Grp root
EOF

  "$cupsd" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
  vellora_cups_pid=$!
  vellora_cups_dir=$dir

  local waited=0
  until [[ -S $dir/cups.sock ]] && CUPS_SERVER="$dir/cups.sock" lpstat -r 2>/dev/null | grep -q "is running"; do
    if ! kill -0 "$vellora_cups_pid" 2>/dev/null || ((waited >= 100)); then
      echo "cupsd: the private scheduler did not start; see $dir/log" >&2
      cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tail -n 20 >&2
      stop_test_cupsd
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done

  if ! CUPS_SERVER="$dir/cups.sock" "$lpadmin" -p VelloraTestPDF -E -v cups-pdf:/VelloraTestPDF -P "$ppd" >&2; then
    echo "cupsd: could not add the cups-pdf queue" >&2
    stop_test_cupsd
    return 1
  fi

  export CUPS_SERVER="$dir/cups.sock"
  export VELLORA_TEST_CUPS_QUEUE=VelloraTestPDF
  export VELLORA_TEST_CUPS_OUTPUT="$dir/out"
  echo "cupsd: private scheduler on $CUPS_SERVER with queue $VELLORA_TEST_CUPS_QUEUE" >&2
}

stop_test_cupsd() {
  if [[ -n $vellora_cups_pid ]]; then
    kill "$vellora_cups_pid" 2>/dev/null
    wait "$vellora_cups_pid" 2>/dev/null
  fi
  if [[ -n $vellora_cups_dir && -f $vellora_cups_pdf_conf ]] && grep -qF "$vellora_cups_pdf_marker" "$vellora_cups_pdf_conf"; then
    rm -f "$vellora_cups_pdf_conf"
  fi
  if [[ -n $vellora_cups_dir && -d $vellora_cups_dir ]]; then
    rm -rf "$vellora_cups_dir"
  fi
  if [[ -n $vellora_cups_dir && ${CUPS_SERVER:-} == "$vellora_cups_dir/cups.sock" ]]; then
    unset CUPS_SERVER VELLORA_TEST_CUPS_QUEUE VELLORA_TEST_CUPS_OUTPUT
  fi
  vellora_cups_pid=""
  vellora_cups_dir=""
  return 0
}
