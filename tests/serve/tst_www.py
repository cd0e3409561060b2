#!/usr/bin/python3
"""The web page in a real headless Chromium against a started VaroServe, inside the test's private
network. Usage: tst_www.py VAROSERVE FOLDER. Exit 77 (skipped) when the browser is missing."""
import json, os, shutil, socket, subprocess, sys, tempfile, time, urllib.error, urllib.request

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select
except ImportError:
    webdriver = None
if not (webdriver and os.access('/usr/bin/chromium', os.X_OK) and os.access('/usr/bin/chromedriver', os.X_OK)):
    print('SKIP: install chromium chromium-driver python3-selenium (scripts/deps.sh test), for /usr/bin/python3')
    sys.exit(77)

serve, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)
work = tempfile.mkdtemp(dir=folder)
TOKEN, VIEWER = 'a-token-of-twenty-chars', 'a-viewer-token-of-twenty'
failures = []


def check(name, ok, detail=''):
    print(('PASS ' if ok else 'FAIL ') + name + ('' if ok else ': ' + str(detail)))
    failures.extend([] if ok else [name])


def wait_for(what, seconds=3.0):
    end = time.monotonic() + seconds
    while True:
        try:
            value = what()
        except Exception:  # not there yet
            value = None
        if value or time.monotonic() > end:
            return value
        time.sleep(0.05)


def api(method, path, body=None):
    request = urllib.request.Request(f'http://127.0.0.1:{port}{path}', json.dumps(body).encode() if body else None,
                                     {'Authorization': 'Bearer ' + TOKEN}, method=method)
    try:
        with urllib.request.urlopen(request, timeout=5) as answer:
            return answer.status, answer.headers, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


def enter(element, text):
    element.clear()
    element.send_keys(text)


def datagrams(seconds):
    got = []
    udp.settimeout(seconds)
    try:
        while True:
            got.append(udp.recv(70000))
    except socket.timeout:
        return got


with socket.socket() as s, socket.socket() as t:
    s.bind(('127.0.0.1', 0))
    t.bind(('127.0.0.1', 0))
    port, tls_port = s.getsockname()[1], t.getsockname()[1]
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.bind(('', 0))
token_file = os.path.join(work, 'token')
with open(os.open(token_file, os.O_CREAT | os.O_WRONLY, 0o600), 'w') as f:
    f.write(f'admin admin {TOKEN}\nviewer read {VIEWER}\n')
start = lambda: subprocess.Popen([serve, '--listen', f'127.0.0.1:{port}', '--token-file', token_file,
                                 '--data', os.path.join(work, 'store.sqlite'), f'UDP{udp.getsockname()[1]}'])
service = start()
browser = None
try:
    wait_for(lambda: service.poll() is not None or api('GET', '/api/health')[0] == 200, 10)
    options = webdriver.ChromeOptions()
    options.set_capability('acceptInsecureCerts', True)  # the HTTPS service's own certificate
    for argument in ('--headless=new', '--no-sandbox', '--user-data-dir=' + os.path.join(work, 'chromium')):
        options.add_argument(argument)
    browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    browser.set_window_size(1280, 900)
    find, js = browser.find_element, browser.execute_script
    card = lambda part: js('const c = document.querySelector(".card"); return c && c.querySelector(arguments[0])'
                           '.textContent', part)
    lit = lambda canvas: js('const c = arguments[0], d = c.getContext("2d").getImageData(0, 0, c.width, c.height)'
                            '.data; let n = 0; for (let i = 0; i < d.length; i += 4) n += d[i] > 60; return n', canvas)

    for _ in range(2):  # the second load in a browser that has started: files fetched again (no-store)
        browser.get(f'http://127.0.0.1:{port}/')
    paint = wait_for(lambda: js('return performance.getEntriesByName("first-contentful-paint")[0].startTime'))
    weight = js('return performance.getEntriesByType("resource").concat(performance.getEntriesByType("navigation"))'
                '.reduce((sum, r) => sum + r.decodedBodySize, 0)')
    print(f'first contentful paint: {paint:.0f} ms; page weight: {weight} bytes')
    check('the page weighs under 100 KB', 0 < weight < 100000, weight)
    csp, sniff = (api('GET', '/')[1][name] for name in ('Content-Security-Policy', 'X-Content-Type-Options'))
    check('answers forbid other origins, inline script and sniffing', "script-src 'self'" in csp and
          'unsafe' not in csp and sniff == 'nosniff', csp)

    wait_for(lambda: find(By.ID, 'token').is_displayed())
    find(By.ID, 'token').send_keys('not-the-token' + Keys.ENTER)
    check('a wrong token is said so', 'refused' in wait_for(lambda: find(By.ID, 'tokenError').text))
    find(By.ID, 'token').send_keys(TOKEN + Keys.ENTER)
    check('the right token is kept for the session', wait_for(lambda: not find(By.ID, 'tokenForm').is_displayed())
          and js('return sessionStorage.getItem("varoToken")') == TOKEN)

    fields = json.loads(api('GET', '/api/fields')[2])['fields']
    listed = js('return [...document.querySelectorAll("#messageForm [data-insert]")].map(b => b.dataset.insert)')
    check('the page lists the live fields the service lists', listed ==
          [f'{{{f["name"]}' + (':' + f['argument'] if f['argument'] else '') + '}' for f in fields], listed)

    find(By.ID, 'openBoard').send_keys('4' + Keys.ENTER)
    wait_for(lambda: find(By.ID, 'board').is_displayed())
    find(By.ID, 'msgText').send_keys('HELLO 4')
    Select(find(By.ID, 'msgMode')).select_by_value('center')
    enter(find(By.ID, 'msgBright'), '40' + Keys.ENTER)
    check('the form sends its message as one frame', datagrams(1.5) == [b'\r4C2\r4B40\r4AHELLO 4\r4D'])
    check('the card shows what the board shows, why, and its face', wait_for(lambda: card('.shows') == 'HELLO 4' and
          card('.why').startswith('playlist item 1 of 1') and lit(find(By.CSS_SELECTOR, '.card .face')) > 50))

    enter(find(By.ID, 'msgBright'), '150' + Keys.ENTER)
    error = wait_for(lambda: find(By.CSS_SELECTOR, '#messageForm [data-error="brightness"]').text)
    check('an invalid brightness is shown beside its field', error and error.startswith('brightness'), error)
    check('an invalid brightness sends nothing', datagrams(0.7) == [])

    hostile = '<img src=x onerror=window.hacked=1>'
    find(By.ID, 'msgBright').clear()
    enter(find(By.ID, 'msgText'), hostile)
    find(By.CSS_SELECTOR, '#messageForm [type=submit]').click()
    check('a hostile text is shown as text, never as markup', wait_for(lambda: card('.shows') == hostile)
          and js('return !window.hacked && !document.querySelector("main img")'))

    started = time.monotonic()
    api('PUT', '/api/boards/4/message', {'text': 'FROM ELSEWHERE'})
    seen = wait_for(lambda: card('.shows') == 'FROM ELSEWHERE', 2)
    latency = time.monotonic() - started
    print(f'change latency: {latency * 1000:.0f} ms')
    check('a change made through the API shows within a second, without reload', seen and latency < 1.0, latency)

    find(By.ID, 'reloadPlaylist').click()
    find(By.ID, 'addItem').click()
    item = wait_for(lambda: browser.find_elements(By.CSS_SELECTOR, '#items .item')[1])
    field = lambda name: item.find_element(By.CSS_SELECTOR, f'[data-field={name}]')
    field('text').send_keys('SECOND {counter:cups}')
    Select(field('mode')).select_by_value('fast')
    enter(field('seconds'), '5')
    enter(field('until'), '23:00')
    item.find_element(By.CSS_SELECTOR, '.days [value=sun]').click()
    item.find_element(By.CSS_SELECTOR, '[data-act=preview]').click()
    saved = lambda: json.loads(api('GET', '/api/boards/4')[2])['playlist']
    check('an item is previewed before it is saved',
          wait_for(lambda: lit(item.find_element(By.CSS_SELECTOR, '.preview')) > 20) and len(saved()) == 1)
    item.find_element(By.CSS_SELECTOR, '[data-act=up]').click()
    find(By.CSS_SELECTOR, '#playlistForm [type=submit]').click()
    first = (wait_for(lambda: len(saved()) == 2) and saved() or [{}])[0]
    check('the playlist saved in the editor reaches the API, in its order',
          (first['text'], first['mode'], first['seconds'], first['until'], 'sun' in first['days']) ==
          ('SECOND {counter:cups}', 'fast', 5, '23:00', False), saved())

    api('PUT', '/api/boards/12', {'name': hostile, 'groups': ['hall-b']})
    title = lambda n: find(By.CSS_SELECTOR, f'[data-board="{n}"] .card-title').text
    check('a declared board is a card titled by its name, as text, and number, within a second', wait_for(
          lambda: title(12) == hostile + ' (12)', 1) and js('return !window.hacked && !document.querySelector("main img")'))
    Select(find(By.ID, 'groupFilter')).select_by_value('hall-b')
    hidden = wait_for(lambda: title(4) == '' and title(12))
    api('PUT', '/api/boards/4', {'groups': ['hall-b']})
    check('the group filter hides a card not in the group, and shows it once it is', hidden and
          wait_for(lambda: title(4) == 'Board 4', 1))
    find(By.CSS_SELECTOR, '[data-board="12"] summary').click()
    enter(find(By.ID, 'board12-name'), 'Hall B west')
    enter(find(By.ID, 'board12-groups'), 'hall-b B!' + Keys.ENTER)
    refused = wait_for(lambda: find(By.CSS_SELECTOR, '[data-board="12"] [data-error=groups]').text[:9] == 'groups[1]')
    enter(find(By.ID, 'board12-groups'), 'hall-b floor-1' + Keys.ENTER)
    declared = lambda: [json.loads(api('GET', '/api/boards/12')[2])[key] for key in ('name', 'groups')]
    check('a name and groups set on the card reach the API; a group refused is said beside its field', refused and
          wait_for(lambda: declared() == ['Hall B west', ['hall-b', 'floor-1']]), declared())
    # The push rebuilds the list of groups once the new one is heard of: chosen after that.
    wait_for(lambda: 'floor-1' in find(By.ID, 'groupTarget').text)
    wait_for(lambda: Select(find(By.ID, 'groupTarget')).select_by_value('all') or 1)
    enter(find(By.ID, 'groupText'), 'TO ALL')
    find(By.CSS_SELECTOR, '#groupForm [type=submit]').click()
    check('a message to all is asked for again, and nothing sent before',
          wait_for(lambda: find(By.ID, 'groupConfirmYes').is_displayed()) and b'TO ALL' not in b''.join(datagrams(0.7)))
    find(By.ID, 'groupConfirmYes').click()
    sent, listed = b''.join(datagrams(1)), json.loads(api('GET', '/api/boards')[2])['boards']
    check('once confirmed, every board gets its frame, as the page says', all(b'\r%dATO ALL\r' % b['board'] in sent
          for b in listed) and 'Hall B west (12)' in find(By.ID, 'groupResult').text, (sent, listed))
    Select(find(By.ID, 'groupFilter')).select_by_value('')

    datagrams(0.2)
    find(By.ID, 'alertText').send_keys('FIRE DRILL')
    enter(find(By.ID, 'alertPriority'), '9')
    enter(find(By.ID, 'alertSeconds'), '30' + Keys.ENTER)
    check('a raised alert goes out on the line', b'\r4AFIRE DRILL\r4D' in b''.join(datagrams(1.5)))
    countdown = lambda: int(find(By.CSS_SELECTOR, '#alerts .countdown').text.split(', ')[1].split()[0])
    before = wait_for(countdown)
    time.sleep(2.1)
    check('an alert shows its countdown, on its card too', before and before <= 30 and countdown() < before and
          card('.why').startswith('alert'), before)

    lit, differ = browser.execute_async_script('''const [text, done] = arguments, state = { text, mode: 2, brightness: 40 };
      api('GET', '/api/boards/4/face.png?' + query(text, 'center', 40))
        .then((r) => r.blob()).then(createImageBitmap).then((bitmap) => {
          const c = Object.assign(document.createElement('canvas'), { width: bitmap.width, height: bitmap.height });
          c.getContext('2d').drawImage(bitmap, 0, 0);
          const png = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
          const ours = ledImage(state, placement(state, 0)).getContext('2d').getImageData(0, 0, c.width, c.height).data;
          let lit = 0, differ = 0;
          for (let i = 0; i < png.length; i += 4) [lit, differ] = [lit + (png[i] > 0), differ + ((png[i] > 0) !== (ours[i] !== UNLIT[0]))];
          done([lit, differ]);
        });''', 'Abé x~%')
    check('a face drawn from the glyphs lights the LEDs face.png lights', lit > 20 and differ == 0, (lit, differ))

    service.terminate()
    service.wait(10)
    check('a page that lost the service says so', 'lost' in (wait_for(lambda: find(By.ID, 'link').text) or ''))
    service = start()
    wait_for(lambda: api('GET', '/api/health')[0] == 200, 10)
    api('PUT', '/api/boards/9/message', {'text': 'BACK AGAIN'})
    check('and takes up the push again by itself', wait_for(lambda: not find(By.ID, 'link').is_displayed() and js(
          'return [...document.querySelectorAll(".card .shows")].some(q => q.textContent === "BACK AGAIN")'), 12))

    # The page over HTTPS, its push over wss, from a certificate made here.
    subprocess.run(['openssl', 'req', '-x509', '-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:P-256', '-nodes',
                    '-subj', '/CN=127.0.0.1', '-keyout', 'tls.key', '-out', 'tls.pem'], cwd=work, capture_output=True)
    secure = subprocess.Popen([serve, '--listen', f'127.0.0.1:{tls_port}', '--token-file', token_file, '--tls-cert',
                               os.path.join(work, 'tls.pem'), '--tls-key', os.path.join(work, 'tls.key'), '--data',
                               os.path.join(work, 'tls.sqlite'), f'UDP{udp.getsockname()[1]}'])
    time.sleep(1)
    browser.get(f'https://127.0.0.1:{tls_port}/')
    wait_for(lambda: find(By.ID, 'token').is_displayed(), 5)
    find(By.ID, 'token').send_keys(TOKEN + Keys.ENTER)
    check('the page over HTTPS takes its push over wss', secure.poll() is None and wait_for(
          lambda: '(admin)' in find(By.ID, 'who').text and js('return socket && socket.readyState === 1 && socket.url')
          .startswith(f'wss://127.0.0.1:{tls_port}/'), 5))
    secure.terminate()
    browser.get(f'http://127.0.0.1:{port}/')

    def as_token(value):
        js(f'sessionStorage.setItem("varoToken", "{value}"); location.reload()')
        return wait_for(lambda: find(By.ID, 'who').text, 5) or ''
    told = as_token(VIEWER)
    check('a read token is told so and offered no form that changes',
          '(read)' in told and not find(By.ID, 'groupForm').is_displayed()
          and not find(By.ID, 'counterForm').is_displayed(), told)
    as_token(TOKEN)

    for width in (1280, 360):  # whole pages, for a person to look at
        metrics = {'width': width, 'height': 800, 'deviceScaleFactor': 1, 'mobile': width < 500}
        browser.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', metrics)
        metrics['height'] = js('return document.documentElement.scrollHeight')
        browser.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', metrics)
        browser.save_screenshot(os.path.join(folder, f'page-{width}.png'))
    width = js('return document.documentElement.scrollWidth')
    check('the page fits 360 px without sideways scrolling', width <= 360, width)
finally:
    if browser:
        browser.quit()
    service.terminate()
    service.wait(10)
    shutil.rmtree(work, ignore_errors=True)
print(f'{len(failures)} failed' if failures else 'all passed')
sys.exit(1 if failures else 0)
