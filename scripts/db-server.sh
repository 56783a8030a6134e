#!/usr/bin/env bash
# A private MariaDB server for the tests, on 127.0.0.1 with its data under the build folder:
#   scripts/db-server.sh start DIR PORT   on the first free port from PORT; prints the ADO
#                                         connection string of its test account
#   scripts/db-server.sh stop DIR
# Table names compare without regard to case and texts are UTF-8 with a case-insensitive
# collation, as on the ERP's SQL Server; the driver counts found rows, not changed rows. '||'
# joins texts, as in SQLite, for the tests' own checks (the server's statements never use it).
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"  # mariadbd lives in /usr/sbin, outside a user's usual PATH
command=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)
case "$command" in
start)
    port=""
    for p in $(seq "$3" "$(($3 + 100))"); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
    done
    [ -n "$port" ] || { echo "no free port from $3 for the database server" >&2; exit 1; }
    "$0" stop "$dir" >/dev/null 2>&1 || true
    rm -rf "$dir/data" && mkdir -p "$dir"
    mariadb-install-db --no-defaults --datadir="$dir/data" --user="$(id -un)" \
        --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1
    mariadbd --no-defaults --datadir="$dir/data" --user="$(id -un)" --port="$port" \
        --bind-address=127.0.0.1 --socket="$dir/socket" --pid-file="$dir/pid" \
        --lower-case-table-names=1 --character-set-server=utf8mb4 \
        --collation-server=utf8mb4_general_ci --skip-log-bin \
        --sql-mode=STRICT_TRANS_TABLES,ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION,PIPES_AS_CONCAT --innodb-buffer-pool-size=128M \
        --innodb-flush-log-at-trx-commit=1 --max-connections=200 >"$dir/server.log" 2>&1 &
    up=""
    for _ in $(seq 1 150); do
        mariadb --no-defaults -uroot -S "$dir/socket" -e "select 1" >/dev/null 2>&1 && { up=1; break; }
        sleep 0.2
    done
    if [ -z "$up" ]; then
        echo "the test database server did not start; its log:" >&2
        tail -20 "$dir/server.log" >&2
        exit 1
    fi
    mariadb --no-defaults -uroot -S "$dir/socket" -e "
        CREATE USER 'wagelink'@'127.0.0.1' IDENTIFIED BY 'wagelink-test';
        GRANT ALL ON *.* TO 'wagelink'@'127.0.0.1';" >/dev/null
    echo "Provider=MSDASQL;Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;User=wagelink;Password=wagelink-test;Option=2"
    ;;
stop)
    [ -f "$dir/pid" ] || exit 0
    pid=$(cat "$dir/pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    ;;
esac
