#!/usr/bin/python3
"""VaroServe's /metrics read by Prometheus' own parser after a frame, an alert and a refused request.
Usage: tst_metrics.py VAROSERVE FOLDER. Exit 77 (skipped) when python3-prometheus-client is missing."""
import os, re, subprocess, sys, tempfile, urllib.error, urllib.request

try:
    from prometheus_client.parser import text_string_to_metric_families
except ImportError:
    print('SKIP: install python3-prometheus-client (scripts/deps.sh test), for /usr/bin/python3')
    sys.exit(77)

work = tempfile.mkdtemp(dir=os.makedirs(sys.argv[2], exist_ok=True) or sys.argv[2])
TOKEN = 'a-token-of-twenty-chars'
with open(os.open(work + '/token', os.O_WRONLY | os.O_CREAT, 0o600), 'w') as file:
    file.write(TOKEN + '\n')
process = subprocess.Popen([sys.argv[1], '--listen', '127.0.0.1:0', '--token-file', work + '/token', '--data',
                            work + '/s.sqlite', 'UDP9'], stderr=subprocess.PIPE, text=True)
port = re.search(r'http://127.0.0.1:(\d+)/', process.stderr.readline()).group(1)


def call(method, path, body=None, token=TOKEN):
    request = urllib.request.Request('http://127.0.0.1:%s%s' % (port, path), body and body.encode(),
                                     {'Authorization': 'Bearer ' + token}, method=method)
    try:
        with urllib.request.urlopen(request) as answer:
            return answer.status, answer.headers['Content-Type'], answer.read().decode()
    except urllib.error.HTTPError as error:
        return error.code, None, ''


statuses = [call('GET', '/metrics', token='not-the-token-at-all')[0], call('PUT', '/api/boards/3/message',
            '{"text":"A"}')[0], call('POST', '/api/boards/3/alerts', '{"text":"B"}')[0]]
_, kind, text = call('GET', '/metrics')
process.terminate()
families = list(text_string_to_metric_families(text))
got = {(s.name,) + tuple(s.labels.values()): s.value for family in families for s in family.samples}
got.update({family.name: family.type for family in families})
expected = {('varoserve_frames_sent_total', '3'): 2, ('varoserve_http_requests_total', '2xx'): 2,
            ('varoserve_http_requests_total', '4xx'): 1, ('varoserve_alerts_live',): 1, ('varoserve_line_open',): 1,
            ('varoserve_line_bytes_waiting',): 0, ('varoserve_mqtt_connected',): 0,
            ('varoserve_mqtt_messages_refused_total',): 0, ('varoserve_store_commit_failures_total',): 0,
            'varoserve_frames_sent': 'counter', 'varoserve_line_open': 'gauge'}
failures = [key for key, value in expected.items() if got.get(key) != value]
failures += [] if 0 <= got.get(('varoserve_last_frame_age_seconds', '3'), -1) < 5 else ['age']
failures += [] if statuses == [401, 200, 201] and kind.startswith('text/plain; version=0.0.4') else [statuses, kind]
print('FAIL: %s\n%s' % (failures, text) if failures else 'PASS')
sys.exit(1 if failures else 0)
