import os

HERE = os.path.dirname(__file__)
ICON = os.path.join(HERE, "icon.svg")
