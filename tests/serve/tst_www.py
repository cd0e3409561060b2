#!/usr/bin/python3
"""The web page in a real headless Chromium against a started VaroServe, inside the test's private
network. Usage: tst_www.py VAROSERVE FOLDER. Exit 77 (skipped) when the browser is missing."""
import json, os, shutil, socket, subprocess, sys, tempfile, time, urllib.error, urllib.request

try:
    from selenium import webdriver
    from selenium.common.exceptions import WebDriverException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select
except ImportError:
    webdriver = None
if webdriver is None or not (os.access('/usr/bin/chromium', os.X_OK) and os.access('/usr/bin/chromedriver', os.X_OK)):
    print('SKIP: needs Debian\'s chromium, chromium-driver and python3-selenium for /usr/bin/python3: '
          'sudo apt-get install chromium chromium-driver python3-selenium (scripts/deps.sh)')
    sys.exit(77)

serve, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)
work = tempfile.mkdtemp(dir=folder)
TOKEN = 'a-token-of-twenty-chars'
failures = []


def free_port(kind):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def check(name, ok, detail=''):
    print(('PASS ' if ok else 'FAIL ') + name + ('' if ok else ': ' + str(detail)))
    if not ok:
        failures.append(name)


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
    request = urllib.request.Request(f'http://127.0.0.1:{port}{path}', method=method,
                                     data=None if body is None else json.dumps(body).encode(),
                                     headers={'Authorization': 'Bearer ' + TOKEN, 'Content-Type': 'application/json'})
    try:
        with urllib.request.urlopen(request, timeout=5) as answer:
            return answer.status, answer.headers, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


def datagrams(seconds):
    got, end = [], time.monotonic() + seconds
    while time.monotonic() < end:
        udp.settimeout(max(0.01, end - time.monotonic()))
        try:
            got.append(udp.recv(70000))
        except socket.timeout:
            break
    return got


port, udp_port = free_port(socket.SOCK_STREAM), free_port(socket.SOCK_DGRAM)
udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
udp.bind(('', udp_port))
token_file = os.path.join(work, 'token')
with open(token_file, 'w') as f:
    f.write(TOKEN + '\n')
os.chmod(token_file, 0o600)
service = subprocess.Popen([serve, '--listen', f'127.0.0.1:{port}', '--token-file', token_file,
                            '--data', os.path.join(work, 'store.sqlite'), f'UDP{udp_port}'])
wait_for(lambda: api('GET', '/api/health')[0] == 200 if service.poll() is None else True, 10)
options = webdriver.ChromeOptions()
for argument in ('--headless=new', '--no-sandbox', '--disable-gpu', '--user-data-dir=' + os.path.join(work, 'chromium'),
                 '--window-size=1280,900'):
    options.add_argument(argument)
try:
    browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
except Exception:
    service.terminate()
    raise
find = browser.find_element
card_text = lambda n, part: browser.execute_script(
    'const c=[...document.querySelectorAll(".card")].find(c=>c.querySelector("h3").textContent==="Board "+arguments[0]);'
    'return c ? c.querySelector(arguments[1]).textContent : null', n, part)
lit_leds = lambda canvas: browser.execute_script(
    'const c=arguments[0],d=c.getContext("2d").getImageData(0,0,c.width,c.height).data;let n=0;'
    'for(let i=0;i<d.length;i+=4) n+=d[i]>60;return n', canvas)

try:
    browser.get(f'http://127.0.0.1:{port}/')
    paint = wait_for(lambda: browser.execute_script(
        'const p = performance.getEntriesByName("first-contentful-paint")[0]; return p && p.startTime'))
    weight = browser.execute_script(
        'return performance.getEntriesByType("resource").filter(r => /app[.](js|css)$/.test(r.name))'
        '.reduce((sum, r) => sum + r.decodedBodySize, performance.getEntriesByType("navigation")[0].decodedBodySize)')
    print(f'first contentful paint: {paint:.0f} ms; page weight: {weight} bytes')
    check('the page weighs under 100 KB', 0 < weight < 100000, weight)
    status, headers, _ = api('GET', '/')
    check('the page carries a policy against other origins and inline script, and nosniff',
          "script-src 'self'" in headers.get('Content-Security-Policy', '') and 'unsafe-inline' not in
          headers.get('Content-Security-Policy', '') and headers.get('X-Content-Type-Options') == 'nosniff', headers)

    wait_for(lambda: find(By.ID, 'token').is_displayed())
    find(By.ID, 'token').send_keys('not-the-token' + Keys.ENTER)
    check('a wrong token is said so', 'refused' in wait_for(lambda: find(By.ID, 'tokenError').text), 'no error')
    find(By.ID, 'token').send_keys(TOKEN + Keys.ENTER)
    check('the right token is taken and kept for the session',
          wait_for(lambda: not find(By.ID, 'tokenForm').is_displayed()) and
          browser.execute_script('return sessionStorage.getItem("varoToken")') == TOKEN)

    find(By.ID, 'openBoard').send_keys('4' + Keys.ENTER)
    wait_for(lambda: find(By.ID, 'board').is_displayed())
    datagrams(0.3)
    find(By.ID, 'msgText').send_keys('HELLO 4')
    Select(find(By.ID, 'msgMode')).select_by_value('center')
    find(By.ID, 'msgBright').clear()
    find(By.ID, 'msgBright').send_keys('40' + Keys.ENTER)
    check('the form sends its message as one frame', datagrams(1.5) == [b'\r4C2\r4B40\r4AHELLO 4\r4D'])
    check('the card shows what the board shows, and why',
          wait_for(lambda: card_text(4, '.shows') == 'HELLO 4' and card_text(4, '.why').startswith('playlist item 1 of 1')),
          card_text(4, '.why'))
    check('the card draws the face', wait_for(lambda: lit_leds(find(By.CSS_SELECTOR, '.card .face')) > 50))

    status, headers, body = api('GET', '/api/boards/4/face.png?first=0')
    check('face.png says a still face stands still, and a strip spans 256 cells',
          headers.get('X-Face-Step-Ms') == '0' and headers.get('X-Face-Length') == '7' and
          int.from_bytes(body[16:20], 'big') == 256 * 6 - 1, (status, dict(headers)))
    status, _, body = api('GET', '/api/boards/4/face.png?text=X&brightness=100')
    check('a preview refuses what a message would, naming the field',
          status == 400 and json.loads(body)['error'].startswith('brightness'), (status, body))

    find(By.ID, 'msgBright').clear()
    find(By.ID, 'msgBright').send_keys('150' + Keys.ENTER)
    error = wait_for(lambda: find(By.CSS_SELECTOR, '#messageForm [data-error="brightness"]').text)
    check('an invalid brightness is shown beside its field', error and error.startswith('brightness'), error)
    check('an invalid brightness sends nothing', datagrams(0.7) == [])

    hostile = '<img src=x onerror=window.hacked=1>'
    find(By.ID, 'msgBright').clear()
    find(By.ID, 'msgText').clear()
    find(By.ID, 'msgText').send_keys(hostile + Keys.TAB)
    find(By.CSS_SELECTOR, '#messageForm button[type=submit]').click()
    check('a hostile text is shown as text, never as markup',
          wait_for(lambda: card_text(4, '.shows') == hostile) and
          browser.execute_script('return !window.hacked && !document.querySelector("main img")'))

    started = time.monotonic()
    api('PUT', '/api/boards/4/message', {'text': 'FROM ELSEWHERE'})
    seen = wait_for(lambda: card_text(4, '.shows') == 'FROM ELSEWHERE', 2)
    latency = time.monotonic() - started
    print(f'change latency: {latency * 1000:.0f} ms')
    check('a change made through the API shows without reload within a second', seen and latency < 1.0, latency)

    find(By.ID, 'reloadPlaylist').click()
    find(By.ID, 'addItem').click()
    item = wait_for(lambda: browser.find_elements(By.CSS_SELECTOR, '#items .item'))[1]
    item.find_element(By.CSS_SELECTOR, '[data-field=text]').send_keys('SECOND {counter:cups}')
    Select(item.find_element(By.CSS_SELECTOR, '[data-field=mode]')).select_by_value('fast')
    for field, value in (('seconds', '5'), ('until', '23:00')):
        item.find_element(By.CSS_SELECTOR, f'[data-field={field}]').clear()
        item.find_element(By.CSS_SELECTOR, f'[data-field={field}]').send_keys(value)
    item.find_element(By.CSS_SELECTOR, '.days input[value=sun]').click()
    item.find_element(By.CSS_SELECTOR, '[data-act=preview]').click()
    check('an item is previewed before it is saved',
          wait_for(lambda: lit_leds(item.find_element(By.CSS_SELECTOR, '.preview')) > 20) and
          json.loads(api('GET', '/api/boards/4')[2])['playlist'][0]['text'] == 'FROM ELSEWHERE')
    item.find_element(By.CSS_SELECTOR, '[data-act=up]').click()
    find(By.CSS_SELECTOR, '#playlistForm button[type=submit]').click()
    saved = lambda: json.loads(api('GET', '/api/boards/4')[2])['playlist']
    wait_for(lambda: len(saved()) == 2)
    first = saved()[0]
    check('the playlist saved in the editor reaches the API, in its order',
          first['text'] == 'SECOND {counter:cups}' and first['mode'] == 'fast' and first['seconds'] == 5 and
          first['until'] == '23:00' and 'sun' not in first['days'] and saved()[1]['text'] == 'FROM ELSEWHERE', saved())

    datagrams(0.2)
    find(By.ID, 'alertText').send_keys('FIRE DRILL')
    find(By.ID, 'alertPriority').clear()
    find(By.ID, 'alertPriority').send_keys('9')
    find(By.ID, 'alertSeconds').clear()
    find(By.ID, 'alertSeconds').send_keys('30' + Keys.ENTER)
    check('a raised alert goes out on the line', b'\r4AFIRE DRILL\r4D' in b''.join(datagrams(1.5)))
    countdown = lambda: int(find(By.CSS_SELECTOR, '#alerts .countdown').text.split(', ')[1].split(' ')[0])
    before = wait_for(countdown)
    time.sleep(2.1)
    check('an alert shows its countdown', before and before <= 30 and countdown() < before,
          (before, wait_for(countdown)))
    check('the card says an alert shows, with its seconds left',
          wait_for(lambda: 's left' in card_text(4, '.why') and 'alert' in card_text(4, '.why')), card_text(4, '.why'))

    for width in (1280, 360):  # whole pages, for a person to look at
        metrics = {'width': width, 'height': 800, 'deviceScaleFactor': 1, 'mobile': width < 500}
        browser.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', metrics)
        metrics['height'] = browser.execute_script('return document.documentElement.scrollHeight')
        browser.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', metrics)
        browser.save_screenshot(os.path.join(folder, f'page-{width}.png'))
    check('the page fits 360 px without sideways scrolling',
          browser.execute_script('return document.documentElement.scrollWidth') <= 360,
          browser.execute_script('return document.documentElement.scrollWidth'))
finally:
    browser.quit()
    service.terminate()
    service.wait(10)
    shutil.rmtree(work, ignore_errors=True)
print('%d failed' % len(failures) if failures else 'all passed')
sys.exit(1 if failures else 0)
