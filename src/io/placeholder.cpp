namespace karvel::io {}
