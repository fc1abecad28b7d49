"""Headless Chromium through chromedriver, as the browser tests start it:
flags that let it run as root in a container, with a fresh profile."""
from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def browser(profile, size="1200,1000"):
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=" + size, "--user-data-dir=" + profile):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
