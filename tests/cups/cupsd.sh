# Starts a private CUPS scheduler with three cups-pdf queues for the spooler
# tests (sourced by setup.sh). The scheduler has its own configuration, spool
# and log folders under /tmp and listens only on its own local socket, so the
# machine's own printing is never touched. When it runs, these are exported:
#   CUPS_SERVER                  the private scheduler's socket
#   VELLORA_TEST_CUPS_QUEUE      a cups-pdf queue ("VelloraTestPDF")
#   VELLORA_TEST_CUPS_OUTPUT     the folder it writes its PDF files to
#   VELLORA_TEST_CUPS_QUEUE2     a second cups-pdf queue ("VelloraTestPDF2")
#   VELLORA_TEST_CUPS_OUTPUT2    the folder the second queue writes to
#   VELLORA_TEST_CUPS_REJECTING  a queue that rejects every job ("VelloraTestRejecting")
# Otherwise start_test_cupsd says why on standard error, returns 1, and the
# spooler tests report a skip.

vellora_cups_dir=""
vellora_cups_pid=""
vellora_cups_pdf_confs=()
vellora_cups_pdf_marker="# Settings of Vellora's private test queue; removed when its scheduler stops."

# Adds a cups-pdf queue NAME writing into OUTPUT. cups-pdf reads its settings
# from a fixed folder, one file per device: each queue's device is named after
# the scheduler's own folder, so schedulers started side by side (two test
# runs at once) never share a settings file, and the machine's own cups-pdf
# settings are never touched.
add_test_pdf_queue() {  # add_test_pdf_queue LPADMIN PPD NAME OUTPUT
  local lpadmin=$1 ppd=$2 name=$3 output=$4
  local device conf
  device="vellora-${vellora_cups_dir##*.}-$name"
  conf=/etc/cups/cups-pdf-$device.conf
  if [[ -e $conf ]] && ! grep -qF "$vellora_cups_pdf_marker" "$conf"; then
    echo "cupsd: $conf exists and is not the test's own" >&2
    return 1
  fi
  mkdir -p "$output" "$vellora_cups_dir/spool/cups-pdf-$name"
  chmod 1777 "$output" "$vellora_cups_dir/spool/cups-pdf-$name"
  cat >"$conf" <<EOF
$vellora_cups_pdf_marker
Out $output
AnonDirName $output
Spool $vellora_cups_dir/spool/cups-pdf-$name
Log $vellora_cups_dir/log
Grp root
EOF
  vellora_cups_pdf_confs+=("$conf")
  CUPS_SERVER="$vellora_cups_dir/cups.sock" "$lpadmin" -p "$name" -E -v "cups-pdf:/$device" -P "$ppd" >&2
}

start_test_cupsd() {
  local cupsd lpadmin ppd dir
  cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
  lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)
  if [[ ! -x $cupsd || ! -x $lpadmin ]]; then
    echo "cupsd: CUPS is not installed" >&2
    return 1
  fi
  if [[ ! -e /usr/lib/cups/backend/cups-pdf || ! -d /etc/cups ]]; then
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

  if ! add_test_pdf_queue "$lpadmin" "$ppd" VelloraTestPDF "$dir/out" ||
     ! add_test_pdf_queue "$lpadmin" "$ppd" VelloraTestPDF2 "$dir/out2" ||
     ! add_test_pdf_queue "$lpadmin" "$ppd" VelloraTestRejecting "$dir/out-rejected"; then
    echo "cupsd: could not add the cups-pdf queues" >&2
    stop_test_cupsd
    return 1
  fi
  # The third queue is enabled but takes no jobs, as after cupsreject.
  local reject
  reject=$(command -v cupsreject || echo /usr/sbin/cupsreject)
  if ! CUPS_SERVER="$dir/cups.sock" "$reject" -r "Rejecting jobs for the test" VelloraTestRejecting >&2; then
    echo "cupsd: could not make VelloraTestRejecting reject jobs" >&2
    stop_test_cupsd
    return 1
  fi

  export CUPS_SERVER="$dir/cups.sock"
  export VELLORA_TEST_CUPS_QUEUE=VelloraTestPDF
  export VELLORA_TEST_CUPS_OUTPUT="$dir/out"
  export VELLORA_TEST_CUPS_QUEUE2=VelloraTestPDF2
  export VELLORA_TEST_CUPS_OUTPUT2="$dir/out2"
  export VELLORA_TEST_CUPS_REJECTING=VelloraTestRejecting
  echo "cupsd: private scheduler on $CUPS_SERVER with queues $VELLORA_TEST_CUPS_QUEUE, $VELLORA_TEST_CUPS_QUEUE2 and $VELLORA_TEST_CUPS_REJECTING (rejecting)" >&2
}

stop_test_cupsd() {
  if [[ -n $vellora_cups_pid ]]; then
    kill "$vellora_cups_pid" 2>/dev/null
    wait "$vellora_cups_pid" 2>/dev/null
  fi
  local conf
  for conf in "${vellora_cups_pdf_confs[@]}"; do
    if [[ -f $conf ]] && grep -qF "$vellora_cups_pdf_marker" "$conf"; then rm -f "$conf"; fi
  done
  vellora_cups_pdf_confs=()
  if [[ -n $vellora_cups_dir && -d $vellora_cups_dir ]]; then
    rm -rf "$vellora_cups_dir"
  fi
  if [[ -n $vellora_cups_dir && ${CUPS_SERVER:-} == "$vellora_cups_dir/cups.sock" ]]; then
    unset CUPS_SERVER VELLORA_TEST_CUPS_QUEUE VELLORA_TEST_CUPS_OUTPUT VELLORA_TEST_CUPS_QUEUE2 \
      VELLORA_TEST_CUPS_OUTPUT2 VELLORA_TEST_CUPS_REJECTING
  fi
  vellora_cups_pid=""
  vellora_cups_dir=""
  return 0
}
