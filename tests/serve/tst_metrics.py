#!/usr/bin/python3
"""VaroServe's /metrics read by Prometheus' own parser after a frame, an alert and a refused request.
Usage: tst_metrics.py VAROSERVE FOLDER. Exit 77 (skipped) when python3-prometheus-client is missing."""
import os, re, subprocess, sys, tempfile, urllib.error, urllib.request

try:
    from prometheus_client.parser import text_string_to_metric_families
except ImportError:
    print('SKIP: install python3-prometheus-client (scripts/deps.sh test), for /usr/bin/python3')
    sys.exit(77)

serve, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)
work = tempfile.mkdtemp(dir=folder)
TOKEN = 'a-token-of-twenty-chars'
with open(os.open(os.path.join(work, 'token'), os.O_WRONLY | os.O_CREAT, 0o600), 'w') as file:
    file.write(TOKEN + '\n')
process = subprocess.Popen([serve, '--listen', '127.0.0.1:0', '--token-file', os.path.join(work, 'token'),
                            '--data', os.path.join(work, 's.sqlite'), 'UDP9'], stderr=subprocess.PIPE, text=True)
port = None
while port is None:
    port = re.search(r'listening on http://127.0.0.1:(\d+)/', process.stderr.readline() or 'listening on http://127.0.0.1:0/').group(1)


def call(method, path, body=None, token=TOKEN):
    request = urllib.request.Request('http://127.0.0.1:%s%s' % (port, path), data=body and body.encode(),
                                     method=method, headers={'Authorization': 'Bearer ' + token})
    try:
        with urllib.request.urlopen(request) as answer:
            return answer.status, answer.headers['Content-Type'], answer.read().decode()
    except urllib.error.HTTPError as error:
        return error.code, None, ''


try:
    statuses = [call('GET', '/metrics', token='not-the-token-at-all')[0],
                call('PUT', '/api/boards/3/message', '{"text":"A"}')[0],
                call('POST', '/api/boards/3/alerts', '{"text":"B"}')[0]]
    _, kind, text = call('GET', '/metrics')
finally:
    process.terminate()
    process.wait()
families = list(text_string_to_metric_families(text))
types = {family.name: family.type for family in families}
got = {(s.name, tuple(s.labels.values())): s.value for family in families for s in family.samples}
expected = {('varoserve_frames_sent_total', ('3',)): 2, ('varoserve_http_requests_total', ('2xx',)): 2,
            ('varoserve_http_requests_total', ('4xx',)): 1, ('varoserve_alerts_live', ()): 1,
            ('varoserve_line_open', ()): 1, ('varoserve_line_bytes_waiting', ()): 0,
            ('varoserve_mqtt_connected', ()): 0, ('varoserve_mqtt_messages_refused_total', ()): 0,
            ('varoserve_store_commit_failures_total', ()): 0}
failures = [key for key, value in expected.items() if got.get(key) != value]
age = got.get(('varoserve_last_frame_age_seconds', ('3',)), -1)
checks = {'statuses': statuses == [401, 200, 201], 'content type': kind.startswith('text/plain; version=0.0.4'),
          'types': types.get('varoserve_frames_sent') == 'counter' and types.get('varoserve_line_open') == 'gauge',
          'last frame age': 0 <= age < 5}
failures += [name for name, ok in checks.items() if not ok]
print('FAIL: %s\n%s' % (failures, text) if failures else 'PASS')
sys.exit(1 if failures else 0)
